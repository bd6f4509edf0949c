#pragma once

#include <memory>

#include "platform/settings_store.h"

class QSettings;

namespace zelkon {

// The per-user store: an INI file, organisation "Halvorn"
// ($XDG_CONFIG_HOME/Halvorn.ini), group [ClusterController].
class QtSettingsStore : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    std::string get(const std::string& key, const std::string& fallback) const override;
    void set(const std::string& key, const std::string& value) override;
    std::string file_name() const;

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace zelkon
