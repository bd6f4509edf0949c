#pragma once

#include <map>
#include <string>

namespace zelkon {

// Where a host keeps a component's persistent properties, as text by key.
class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The stored text of key, or fallback when none is stored.
    virtual std::string read(const std::string& key, const std::string& fallback) const = 0;
    // The default lets a bag omit values that equal it.
    virtual void write(const std::string& key, const std::string& value,
                       const std::string& default_value) = 0;
};

// A bag in memory that stores only values that differ from their defaults.
class MemoryPropertyBag : public PropertyBag {
  public:
    std::string read(const std::string& key, const std::string& fallback) const override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void write(const std::string& key, const std::string& value,
               const std::string& default_value) override {
        if (value == default_value) {
            values.erase(key);
        } else {
            values[key] = value;
        }
    }
    std::map<std::string, std::string> values;
};

}  // namespace zelkon
