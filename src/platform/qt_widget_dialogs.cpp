#include "platform/qt_widget_dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
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

QString unbroken_paths(const QString& text) {
    QStringList words = text.split(' ');
    for (QString& word : words) {
        if (!word.contains('/')) {
            continue;
        }
        QString joined;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (i > 0) {
                joined += kWordJoiner;
            }
            joined += word[i];
        }
        word = joined;
    }
    return words.join(' ');
}

namespace {

// While a box is up, what is copied from it (a selection, or Ctrl+C) reaches
// the clipboard without the joiners, so that a pasted path is the real one.
void strip_joiners_from_clipboard(QObject* while_alive) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto strip = [clipboard](QClipboard::Mode mode) {
        QString text = clipboard->text(mode);
        if (text.contains(kWordJoiner)) {
            clipboard->setText(text.remove(kWordJoiner), mode);
        }
    };
    QObject::connect(clipboard, &QClipboard::dataChanged, while_alive,
                     [strip] { strip(QClipboard::Clipboard); });
    QObject::connect(clipboard, &QClipboard::selectionChanged, while_alive,
                     [strip] { strip(QClipboard::Selection); });
}

QMessageBox::StandardButton show_box(QWidget* parent, QMessageBox::Icon icon,
                                     const std::string& text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton default_button) {
    QMessageBox box(icon, QApplication::applicationDisplayName(),
                    unbroken_paths(QString::fromStdString(text)), buttons, parent);
    box.setDefaultButton(default_button);
    strip_joiners_from_clipboard(&box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtWidgetDialogs::message(const std::string& text) {
    show_box(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtWidgetDialogs::warning(const std::string& text) {
    show_box(parent_, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtWidgetDialogs::ask_yes_no(const std::string& text, bool default_yes) {
    auto answer = show_box(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                           default_yes ? QMessageBox::Yes : QMessageBox::No);
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
