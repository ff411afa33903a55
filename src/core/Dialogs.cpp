#include "core/Dialogs.h"

#include "core/DiagnosticLog.h"
#include "core/FolderInputDialog.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

const QString Dialogs::ProgramTitle = QStringLiteral("Torvane Network Version");

QString Dialogs::commonText(const AppError &e)
{
    return QString::number(e.number()) + QStringLiteral(": Error Description ") + e.description();
}

void Dialogs::error(const AppError &e, const QString &title)
{
    // The server's silence has had its own question already.
    if (e.number() == ErrNo::NoAnswer) {
        DiagnosticLog::passedOver(title.isEmpty() ? ProgramTitle : title, e);
        return;
    }
    message(commonText(e), title, Ok, NoIcon);
}

Dialogs::Answer Dialogs::message(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    DiagnosticLog::shown(title.isEmpty() ? ProgramTitle : title, text);
    return present(text, title, buttons, icon);
}

std::optional<QString> Dialogs::input(const QString &prompt, const QString &title, const QString &defaultText)
{
    DiagnosticLog::shown(title.isEmpty() ? ProgramTitle : title, prompt);
    return presentInput(prompt, title, defaultText);
}

std::optional<QString> Dialogs::folderInput(const QString &prompt, const QString &title, const QString &defaultText)
{
    DiagnosticLog::shown(title.isEmpty() ? ProgramTitle : title, prompt);
    return presentFolderInput(prompt, title, defaultText);
}

std::optional<QString> Dialogs::presentFolderInput(const QString &prompt, const QString &title,
                                                   const QString &defaultText)
{
    FolderInputDialog box(*this, prompt, title, defaultText, QApplication::activeWindow());
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.text();
}

bool Dialogs::askServerRetry()
{
    return message(QStringLiteral("The database server does not answer."), QString(), RetryExit, Critical) == AnsRetry;
}

void Dialogs::askWhenServerSilent(bool &gaveUp)
{
    Database::setNoAnswerHandler([this, &gaveUp] {
        if (askServerRetry())
            return true;
        gaveUp = true;
        QCoreApplication::exit(1);
        return false;
    });
}

Dialogs::Answer MessageBoxDialogs::present(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? ProgramTitle : title);
    box.setText(text);
    switch (icon) {
    case NoIcon: box.setIcon(QMessageBox::NoIcon); break;
    case Information: box.setIcon(QMessageBox::Information); break;
    case Warning: box.setIcon(QMessageBox::Warning); break;
    case Critical: box.setIcon(QMessageBox::Critical); break;
    case Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case YesNoCancel: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case RetryExit:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Abort);
        box.button(QMessageBox::Abort)->setText(QStringLiteral("Exit"));
        break;
    case YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return AnsYes;
    case QMessageBox::No: return AnsNo;
    case QMessageBox::Cancel: return AnsCancel;
    case QMessageBox::Retry: return AnsRetry;
    case QMessageBox::Abort: return AnsExit;
    default: return AnsOk;
    }
}

std::optional<QString> MessageBoxDialogs::presentInput(const QString &prompt, const QString &title,
                                                       const QString &defaultText)
{
    bool ok = false;
    QString s = QInputDialog::getText(QApplication::activeWindow(), title.isEmpty() ? ProgramTitle : title, prompt,
                                      QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

std::optional<QString> MessageBoxDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                                       const QString &filter)
{
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                                      title.isEmpty() ? ProgramTitle : title, suggestedPath, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> MessageBoxDialogs::folderName(const QString &title, const QString &startFolder)
{
    const QString path = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                           title.isEmpty() ? ProgramTitle : title, startFolder);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

bool MessageBoxDialogs::choosePrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    // Pages from/to are left to the program, which draws only those; that works for a PDF file too.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, 9999);
    return dialog.exec() == QDialog::Accepted;
}
