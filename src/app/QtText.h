// Text between the core (UTF-8 std::string, line lists) and the widgets.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <string>
#include <vector>

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string Std(const QString& s) { return s.toStdString(); }

// The lines of a memo; an empty memo has none.
inline std::vector<std::string> LinesOf(const QPlainTextEdit* memo) {
    std::vector<std::string> lines;
    const QString text = memo->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(Std(line));
    return lines;
}

// Sets the lines with the caret at the start; the modified mark is cleared.
inline void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& l : lines) list << Q(l);
    memo->setPlainText(list.join(QLatin1Char('\n')));
    memo->moveCursor(QTextCursor::Start);
    memo->document()->setModified(false);
}
