#pragma once
#include <QString>
#include <optional>

class AppError;
class QPrinter;
class QWidget;

// Every message box, question and input box of the program goes through this interface, so
// tests can answer them from a script and read what was shown. Each message and prompt is
// written to the diagnostic log as it is shown, so a support call can see what the user saw.
class Dialogs {
public:
    enum Buttons { Ok, YesNo, OkCancel, YesNoCancel, RetryCancel, YesNoDefaultNo, RetryExit };
    enum Icon { NoIcon, Information, Warning, Critical, Question };
    enum Answer { AnsOk, AnsCancel, AnsYes, AnsNo, AnsRetry, AnsExit };

    static const QString ProgramTitle; // "Torvane Network Version"

    virtual ~Dialogs() = default;

    // An empty title shows the program's title.
    Answer message(const QString &text, const QString &title, Buttons buttons = Ok, Icon icon = NoIcon);
    // nullopt when cancelled.
    std::optional<QString> input(const QString &prompt, const QString &title, const QString &defaultText);
    // An input box for a folder, with Browse for the folder chooser below; nullopt when cancelled.
    std::optional<QString> folderInput(const QString &prompt, const QString &title, const QString &defaultText);
    // The save-file dialog: the path chosen, nullopt when cancelled. Programs without windows
    // save nothing.
    virtual std::optional<QString> saveFileName(const QString & /*title*/, const QString & /*suggestedPath*/,
                                                const QString & /*filter*/)
    {
        return std::nullopt;
    }

    // The print dialog on printer (which printer, copies); false when cancelled. Programs
    // without windows print to the printer as it is.
    virtual bool choosePrinter(QPrinter & /*printer*/) { return true; }

    // The folder chooser: the folder chosen, nullopt when cancelled.
    virtual std::optional<QString> folderName(const QString & /*title*/, const QString & /*startFolder*/)
    {
        return std::nullopt;
    }

    void info(const QString &text, const QString &title = QString()) { message(text, title, Ok, NoIcon); }
    bool ask(const QString &text, const QString &title = QString(), Icon icon = Question)
    {
        return message(text, title, YesNo, icon) == AnsYes;
    }
    // The common trap message: number, ": ", "Error Description ", description. A server that
    // did not answer has been reported by askServerRetry already and is only logged.
    void error(const AppError &e, const QString &title);
    // "The database server does not answer." with Retry and Exit; true for Retry.
    bool askServerRetry();
    // This program's answer to a silent server, process-wide: the question above; Exit ends the
    // event loop and sets gaveUp.
    void askWhenServerSilent(bool &gaveUp);
    static QString commonText(const AppError &e);

protected:
    // Showing them, once logged.
    virtual Answer present(const QString &text, const QString &title, Buttons buttons, Icon icon) = 0;
    virtual std::optional<QString> presentInput(const QString &prompt, const QString &title,
                                                const QString &defaultText) = 0;
    // The folder box (FolderInputDialog) over the active window.
    virtual std::optional<QString> presentFolderInput(const QString &prompt, const QString &title,
                                                      const QString &defaultText);
};

class MessageBoxDialogs : public Dialogs {
public:
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QString &filter) override;
    std::optional<QString> folderName(const QString &title, const QString &startFolder) override;
    bool choosePrinter(QPrinter &printer) override;

protected:
    Answer present(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    std::optional<QString> presentInput(const QString &prompt, const QString &title,
                                        const QString &defaultText) override;
};
