// The active language: every caption and message the application shows comes from a
// language file ("Languages/*.lng" beside the executable, an INI document). One file is
// active at a time; code asks for its texts by section and key or by message number.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "app/core/AppPaths.h"
#include "app/core/IniFile.h"

namespace vk::app {

// What a lookup gives when no language is loaded or the key has no text. Callers that need
// a fallback compare with it.
inline const QString kNoTranslation = QStringLiteral("NO TRANSLATION!");

// Makes `path` the active language file and reads it whole. When the file does not exist
// the loaded language is dropped (every lookup then gives kNoTranslation) and false is
// returned; the path still becomes the active one.
bool LoadLanguage(const QString& path);
QString ActiveLanguagePath();
// The loaded language document; null when none is loaded.
const TIniFile* ActiveLanguageFile();

// The text of `key` in `section`: kNoTranslation when nothing is loaded or the value is
// missing or empty; "*|*" becomes a line break (CR LF) and the product name is replaced
// by the edition's name.
QString Translate(const QString& section, const QString& key);
// Translate("Messages", number). Code asks for numbered texts only through this call,
// with the number written out, so that a test can find every number the program uses.
QString Message(int number);

// A message with its placeholders filled: each "%s" or "%d", in order, takes the next of
// `values`; "%%" is a "%"; placeholders without a value stay as they are.
QString FormatMessage(const QString& text, const QStringList& values);

// The words of section Messages that the message and input boxes take their caption and
// button texts from.
enum class TBoxWord {
  Warning,
  Error,
  Information,
  Confirmation,
  Yes,
  No,
  YesToAll,
  Cancel,
  Help,
  Close
};
inline constexpr TBoxWord kAllBoxWords[] = {
    TBoxWord::Warning, TBoxWord::Error, TBoxWord::Information, TBoxWord::Confirmation,
    TBoxWord::Yes,     TBoxWord::No,    TBoxWord::YesToAll,    TBoxWord::Cancel,
    TBoxWord::Help,    TBoxWord::Close};
// The key of a word in section Messages ("Warning", "YesToAll"...).
QString BoxWordKey(TBoxWord word);
QString BoxWord(TBoxWord word);

// Every "Vorel" (in any letter case) becomes "Vorelkit"; one already followed by "kit"
// is left as it is.
QString WithEditionName(const QString& text);

// The About box's translation credits (language, translator, version from section Info,
// each after its message); nothing when no language is loaded.
std::optional<QString> AboutTranslationText();

struct TLanguageEntry {
  QString name;  // the file name without ".lng": the Language menu's and chooser's caption
  QString path;  // the full path of the file
};
// The language files of `folder` (".lng" in any letter case), sorted by name.
std::vector<TLanguageEntry> ListLanguages(const QString& folder = LanguagesFolder());

// The language file to load at start: `appLanguageFile` (the AppLanguageFile setting, a
// file name) in `folder` when it names an existing file, otherwise English.lng there.
QString StartLanguagePath(const QString& appLanguageFile,
                          const QString& folder = LanguagesFolder());
// The language file the chooser's selected item (a language name) stands for.
QString ChooserLanguagePath(const QString& itemText, const QString& folder = LanguagesFolder());
// The value AppLanguageFile takes after `path` was loaded: its file name.
QString LanguageFileSetting(const QString& path);

}  // namespace vk::app
