#include "ScriptedDialogs.h"

#include <QTest>

Dialogs::Answer ScriptedDialogs::present(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    m_shown.append({false, text, title.isEmpty() ? ProgramTitle : title, buttons, icon});
    if (buttons == Ok)
        return m_answers.isEmpty() ? AnsOk : m_answers.dequeue();
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
        return buttons == YesNo || buttons == YesNoCancel || buttons == YesNoDefaultNo ? AnsNo : AnsCancel;
    }
    return m_answers.dequeue();
}

std::optional<QString> ScriptedDialogs::presentInput(const QString &prompt, const QString &title, const QString &)
{
    m_shown.append({true, prompt, title.isEmpty() ? ProgramTitle : title, OkCancel, NoIcon});
    if (m_inputs.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    return m_inputs.dequeue();
}

std::optional<QString> ScriptedDialogs::presentFolderInput(const QString &prompt, const QString &title,
                                                           const QString &defaultText)
{
    if (m_realFolderBoxes == 0)
        return presentInput(prompt, title, defaultText);
    --m_realFolderBoxes;
    m_shown.append({true, prompt, title.isEmpty() ? ProgramTitle : title, OkCancel, NoIcon});
    return Dialogs::presentFolderInput(prompt, title, defaultText);
}

std::optional<QString> ScriptedDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                                     const QString &)
{
    m_shown.append({true, suggestedPath, title.isEmpty() ? ProgramTitle : title, OkCancel, NoIcon});
    if (m_files.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected file dialog: ") + title), __FILE__, __LINE__);
        return std::nullopt;
    }
    return m_files.dequeue();
}

std::optional<QString> ScriptedDialogs::folderName(const QString &title, const QString &startFolder)
{
    return saveFileName(title, startFolder, QString());
}

bool ScriptedDialogs::choosePrinter(QPrinter &)
{
    m_shown.append({false, QStringLiteral("Print"), QStringLiteral("Print"), OkCancel, NoIcon});
    return m_answers.isEmpty() || m_answers.dequeue() == AnsOk;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &s : m_shown)
        out << s.text;
    return out;
}

QStringList ScriptedDialogs::titles() const
{
    QStringList out;
    for (const auto &s : m_shown)
        out << s.title;
    return out;
}

void ScriptedDialogs::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_inputs.clear();
    m_files.clear();
    m_realFolderBoxes = 0;
}
