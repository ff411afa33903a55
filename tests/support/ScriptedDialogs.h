#pragma once
#include "core/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Answers dialogs from a queue and records everything shown. A question without a scripted
// answer fails the running test.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        bool isInput = false;
        QString text;
        QString title; // as shown: the program's title when none was given
        Buttons buttons = Ok;
        Icon icon = NoIcon;
    };

    // Recorded as an input whose text is the suggested path.
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QString &filter) override;
    // Answered from the same queue as the file dialog; recorded as an input of the start folder.
    std::optional<QString> folderName(const QString &title, const QString &startFolder) override;
    // Recorded as a question "Print"; an answer queued says OK or Cancel, none is OK.
    bool choosePrinter(QPrinter &printer) override;

    void answer(Answer a) { m_answers.enqueue(a); }
    void answerInput(const QString &text) { m_inputs.enqueue(text); }
    void cancelInput() { m_inputs.enqueue(std::nullopt); }
    void answerFile(const QString &path) { m_files.enqueue(path); }
    // The next folder box is the real one, shown modal for the test to drive (its Browse answered
    // by answerFile); other folder boxes are answered like input boxes.
    void showNextFolderBox() { ++m_realFolderBoxes; }
    void cancelFile() { m_files.enqueue(std::nullopt); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList texts() const;
    QStringList titles() const;
    int count() const { return int(m_shown.size()); }
    Shown last() const { return m_shown.isEmpty() ? Shown{} : m_shown.last(); }
    bool pendingAnswers() const { return !m_answers.isEmpty() || !m_inputs.isEmpty() || !m_files.isEmpty(); }
    void clear();

protected:
    Answer present(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    std::optional<QString> presentInput(const QString &prompt, const QString &title,
                                        const QString &defaultText) override;
    std::optional<QString> presentFolderInput(const QString &prompt, const QString &title,
                                              const QString &defaultText) override;

private:
    QList<Shown> m_shown;
    QQueue<Answer> m_answers;
    QQueue<std::optional<QString>> m_inputs;
    QQueue<std::optional<QString>> m_files;
    int m_realFolderBoxes = 0;
};
