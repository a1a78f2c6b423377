#include "app/RegIniFile.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <QRect>
#include <QSettings>
#include <QWidget>

namespace {

const QString kOrganisation = QStringLiteral("ZEM CAD 2");
const QString kApplication = QStringLiteral("ZEM CAD 2");

QString Key(const QString& section, const QString& ident) { return section + QLatin1Char('/') + ident; }

bool NeedsQuotes(const QString& item) {
    if (item.isEmpty()) return true;
    for (QChar c : item)
        if (c.unicode() <= ' ' || c == QLatin1Char(',') || c == QLatin1Char('"')) return true;
    return false;
}

}  // namespace

TRegIniFile::TRegIniFile()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                                            kApplication)) {}

TRegIniFile::TRegIniFile(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

TRegIniFile::~TRegIniFile() = default;

QString TRegIniFile::ReadString(const QString& section, const QString& ident, const QString& def) const {
    const QVariant v = settings_->value(Key(section, ident));
    return v.isValid() ? v.toString() : def;
}

int TRegIniFile::ReadInteger(const QString& section, const QString& ident, int def) const {
    bool ok = false;
    const int value = ReadString(section, ident, QString()).trimmed().toInt(&ok);
    return ok ? value : def;
}

bool TRegIniFile::ReadBool(const QString& section, const QString& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    settings_->setValue(Key(section, ident), value);
}

void TRegIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    WriteString(section, ident, QString::number(value));
}

void TRegIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TRegIniFile::ValueExists(const QString& section, const QString& ident) const {
    return settings_->contains(Key(section, ident));
}

bool TRegIniFile::EraseAll() {
    settings_->clear();
    return Flush();
}

bool TRegIniFile::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString TRegIniFile::FileName() const { return settings_->fileName(); }

QString TRegIniFile::WriteFailureText() const {
    const std::string name = settings_->fileName().toStdString();
    try {
        zem::CheckWritable(name);  // a read-only file or a closed directory, with the system's reason
    } catch (const zem::ZemError& e) {
        return QString::fromStdString(e.what());
    }
    const char* cause = settings_->status() == QSettings::FormatError ? "файл настроек поврежден" : "нет доступа";
    return QString::fromStdString(zem::FileFailureText(zem::kWriteFailure, name, cause));
}

QString CommaText(const QStringList& items) {
    QString text;
    for (int i = 0; i < items.size(); ++i) {
        if (i > 0) text += QLatin1Char(',');
        const QString& item = items[i];
        if (NeedsQuotes(item)) {
            QString inner = item;
            inner.replace(QLatin1String("\""), QLatin1String("\"\""));
            text += QLatin1Char('"') + inner + QLatin1Char('"');
        } else {
            text += item;
        }
    }
    return text;
}

QStringList SplitCommaText(const QString& text) {
    QStringList items;
    const int n = text.size();
    auto blank = [&](int i) { return i < n && text[i].unicode() <= ' '; };
    int i = 0;
    while (blank(i)) ++i;
    while (i < n) {
        QString item;
        if (text[i] == QLatin1Char('"')) {
            // Quoted: up to the closing quote, "" standing for one quote.
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i].unicode() > ' ' && text[i] != QLatin1Char(',')) item += text[i++];
        }
        items << item;
        while (blank(i)) ++i;
        if (i < n && text[i] == QLatin1Char(',')) {
            ++i;
            while (blank(i)) ++i;
            if (i == n) items << QString();  // a trailing comma ends with an empty item
        }
    }
    return items;
}

QString PlacementText(const QWidget* window) {
    const int state = window->isMinimized() ? 1 : window->isMaximized() ? 2 : 0;
    // A top-level window keeps its normal bounds while maximized; a child
    // window has only its current ones.
    QRect r = window->isWindow() ? window->normalGeometry() : window->geometry();
    if (!r.isValid()) r = window->geometry();
    return QStringLiteral("%1 %2 %3 %4 %5").arg(state).arg(r.top()).arg(r.left()).arg(r.height()).arg(r.width());
}

bool ApplyPlacement(QWidget* window, const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 5) return false;
    int v[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        v[i] = parts[i].toInt(&ok);
        if (!ok) return false;
    }
    const int state = v[0], top = v[1], left = v[2], height = v[3], width = v[4];
    if (height <= 0 || width <= 0) return false;
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    window->setGeometry(left, top, width, height);
    if (state == 2) window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return true;
}
