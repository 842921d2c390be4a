// The interface texts (menu, tab and column captions, the totals' format texts, the settings
// dialog's label and the printout's page line), their language files and the list of installed
// languages.
#pragma once

#include <array>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kestrun {

/// The current value of every interface text, starting with the built-in values. Keys match
/// without regard to letter case. The first kCount texts are the program's table of 40, built
/// in English; the kWindowCount after them label the rest of the windows (dialog titles,
/// questions, buttons, the later commands) and are built in as those windows were laid out, so
/// that without a language file nothing changes on screen.
class TLanguageTexts {
public:
    static constexpr std::size_t kCount = 40;
    static constexpr std::size_t kWindowCount = 75;
    static constexpr std::size_t kAllCount = kCount + kWindowCount;

    TLanguageTexts();

    /// The keys in table order (sMainMenu_mFile ... sFork).
    static const std::array<std::string_view, kCount>& Keys();
    /// The key at position i of all the texts (the table's 40, then the windows').
    static std::string_view Key(std::size_t i);
    /// The built-in value of the text at position i (code page 1251).
    static std::string BuiltIn(std::size_t i);
    /// The position of a key, or kAllCount when there is none.
    static std::size_t IndexOf(std::string_view key);

    /// The current text of a key; an empty text for a key not in the table.
    const std::string& Get(std::string_view key) const;
    const std::string& Get(std::size_t i) const { return Texts_[i]; }
    /// Sets the text of a key; false (and nothing changes) for a key not in the table.
    bool Set(std::string_view key, std::string value);

    /// Reads a language file: every entry whose key is in the table sets its text. A missing
    /// file or any error while reading is ignored; entries read before it stay applied.
    void LoadLanguageFile(const std::filesystem::path& path);
    /// The same over an open stream, letting errors of the stream through.
    void ReadLanguage(std::istream& in);

private:
    std::array<std::string, kAllCount> Texts_;
};

/// The path of a language file: the Language folder (TFileLocations::Find(TDataFile::Languages))
/// joined with fileName (the operating system's form, like the names ListLanguageFiles gives).
std::filesystem::path LanguageFilePath(const std::filesystem::path& languageDir,
                                       std::string_view fileName);

/// Clears the list, then adds the name minus its ".lng" of every entry of the Language folder
/// languageDir that ends in ".lng" (files and folders alike), in byte order. The names are the
/// operating system's (UTF-8), as Config.Language keeps them. A missing folder adds nothing.
void ListLanguageFiles(std::vector<std::string>& list, const std::filesystem::path& languageDir);

} // namespace kestrun
