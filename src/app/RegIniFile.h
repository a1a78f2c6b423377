// The configuration store: sections of named entries kept per user under the
// application title "ZEM CAD 2" (an INI file in the user's configuration
// directory). Every value is a string: integers in decimal, booleans as "1"
// and "0". Reads give the default when an entry is missing (or, for numbers,
// is not an integer); nothing is cached between calls.
//
// Also here: the comma text of string lists and the placement text of
// windows, the two formats most stored values use.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;
class QWidget;

class TRegIniFile {
public:
    // The per-user store of the program. Tests move it elsewhere with
    // QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir).
    TRegIniFile();
    // A store kept in the given INI file.
    explicit TRegIniFile(const QString& fileName);
    ~TRegIniFile();
    TRegIniFile(const TRegIniFile&) = delete;
    TRegIniFile& operator=(const TRegIniFile&) = delete;

    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    int ReadInteger(const QString& section, const QString& ident, int def) const;
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    void WriteString(const QString& section, const QString& ident, const QString& value);
    void WriteInteger(const QString& section, const QString& ident, int value);
    void WriteBool(const QString& section, const QString& ident, bool value);
    bool ValueExists(const QString& section, const QString& ident) const;

    // Deletes every section. False when the store could not be written.
    bool EraseAll();
    // Writes pending changes; false when the store could not be written.
    bool Flush();
    QString FileName() const;
    // The message for a store that could not be written: "Ошибка записи в
    // файл ", the name and the system's reason.
    QString WriteFailureText() const;

private:
    std::unique_ptr<QSettings> settings_;
};

// Comma text: items separated by commas; an item that is empty or holds a
// blank, a comma, a double quote or a control character is enclosed in double
// quotes with inner quotes doubled. Reading splits at commas and at blanks
// outside quotes.
QString CommaText(const QStringList& items);
QStringList SplitCommaText(const QString& text);

// Placement text: "state top left height width" (state 0 normal, 1 minimized,
// 2 maximized), e.g. "0 120 80 400 600". The bounds are the window's normal
// bounds; the window itself is left as it is.
QString PlacementText(const QWidget* window);
// Sets the bounds, then the state. An empty text, or one that is not five
// integers, changes nothing (false). A minimized state is applied as normal,
// so that a window never comes back hidden in the task bar.
bool ApplyPlacement(QWidget* window, const QString& text);
