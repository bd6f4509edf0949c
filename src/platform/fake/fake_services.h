#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"

namespace zelkon {

class FakeSettingsStore : public SettingsStore {
  public:
    std::string get(const std::string& key, const std::string& fallback) const override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void set(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

// Records every text shown; answers questions and file dialogs from queues,
// with the question's default answer when its queue is empty.
class FakeDialogs : public Dialogs {
  public:
    void message(const std::string& text) override { messages.push_back(text); }
    // Every text shown, in messages; those that report a failure in warnings too.
    void warning(const std::string& text) override {
        messages.push_back(text);
        warnings.push_back(text);
    }
    bool ask_yes_no(const std::string& text, bool default_yes) override {
        questions.push_back(text);
        if (answers.empty()) {
            return default_yes;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> choose_file_to_open(const std::string& title,
                                                   const std::string& filter) override {
        return next_file(title, filter);
    }
    std::optional<std::string> choose_file_to_save(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string&) override {
        return next_file(title, filter);
    }

    std::vector<std::string> messages;
    std::vector<std::string> warnings;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::vector<std::string> dialog_titles;
    std::vector<std::string> dialog_filters;
    std::deque<std::optional<std::string>> chosen_files;

  private:
    std::optional<std::string> next_file(const std::string& title, const std::string& filter) {
        dialog_titles.push_back(title);
        dialog_filters.push_back(filter);
        if (chosen_files.empty()) {
            return std::nullopt;
        }
        auto chosen = chosen_files.front();
        chosen_files.pop_front();
        return chosen;
    }
};

class FakeCurrentDirectory : public CurrentDirectory {
  public:
    std::string get() const override { return path; }
    bool set(const std::string& new_path) override {
        if (fail) {
            return false;
        }
        path = new_path;
        history.push_back(new_path);
        return true;
    }
    std::string path = "/home/user";
    std::vector<std::string> history;
    bool fail = false;
};

class FakeComputerName : public ComputerName {
  public:
    std::string get() const override { return name; }
    std::string name = "CONTROL1";
};

}  // namespace zelkon
