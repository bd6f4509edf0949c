#include "platform/qt_widget_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace zelkon {

std::string qt_filter_of(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList descriptions;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // "*.*" means every file on the system the filter was written for.
        QString description = parts[i];
        description.replace("(*.*)", "(*)");
        descriptions << description;
    }
    return descriptions.join(";;").toStdString();
}

void QtWidgetDialogs::message(const std::string& text) {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(),
                             QString::fromStdString(text));
}

void QtWidgetDialogs::warning(const std::string& text) {
    QMessageBox::warning(parent_, QApplication::applicationDisplayName(),
                         QString::fromStdString(text));
}

bool QtWidgetDialogs::ask_yes_no(const std::string& text, bool default_yes) {
    auto answer = QMessageBox::question(
        parent_, QApplication::applicationDisplayName(), QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No, default_yes ? QMessageBox::Yes : QMessageBox::No);
    return answer == QMessageBox::Yes;
}

std::optional<std::string> QtWidgetDialogs::choose_file_to_open(const std::string& title,
                                                                const std::string& filter) {
    QString path = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), QString(),
                                                QString::fromStdString(qt_filter_of(filter)));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtWidgetDialogs::choose_file_to_save(
    const std::string& title, const std::string& filter, const std::string& default_extension) {
    QFileDialog dialog(parent_, QString::fromStdString(title), QString(),
                       QString::fromStdString(qt_filter_of(filter)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(default_extension));
    // The caller asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace zelkon
