// The help window: the help text of the chosen interface language ("RSBNHelp_English.txt"), else
// "RSBNHelp.txt", found by the file-location rules when the window is created and each time it
// is shown; or a short built-in text.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>

class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace kestrun {

struct TKestrunWorld;

class TfmHelp : public QDialog {
    Q_OBJECT
public:
    TfmHelp(TKestrunWorld& world, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Закрыть"

    void BitBtn1Click();
    /// Reads the help text for Config.Language into Memo1 (see the file comment).
    void LoadHelpText();

    /// The six lines shown when no help file can be read.
    static QString BuiltInText();
    /// The lines of a code page 1251 text file, split at CR LF, LF or CR, joined with "\n";
    /// raises when the file cannot be read.
    static QString HelpFileText(const std::filesystem::path& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    TKestrunWorld& World;
};

} // namespace kestrun
