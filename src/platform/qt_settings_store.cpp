#include "platform/qt_settings_store.h"

#include <QSettings>

namespace zelkon {
namespace {
const QString kGroup = QStringLiteral("ClusterController");

QString key_in_group(const std::string& key) {
    return kGroup + "/" + QString::fromStdString(key);
}
}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Halvorn"))) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::get(const std::string& key, const std::string& fallback) const {
    QVariant value = settings_->value(key_in_group(key));
    if (!value.isValid()) {
        return fallback;
    }
    // A value holding commas comes back as a list; keep the text as written.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(", ").toStdString();
    }
    return value.toString().toStdString();
}

void QtSettingsStore::set(const std::string& key, const std::string& value) {
    settings_->setValue(key_in_group(key), QString::fromStdString(value));
    settings_->sync();
}

std::string QtSettingsStore::file_name() const {
    return settings_->fileName().toStdString();
}

}  // namespace zelkon
