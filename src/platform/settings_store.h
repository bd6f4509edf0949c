#pragma once

#include <string>

namespace zelkon {

// The per-user settings store of the controller: one section of keys.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text of a key, or fallback when the key is absent.
    virtual std::string get(const std::string& key, const std::string& fallback) const = 0;
    virtual void set(const std::string& key, const std::string& value) = 0;
};

}  // namespace zelkon
