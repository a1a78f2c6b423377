// An item of the window menu: stands for one child window. Its caption is
// "&", the item's number, one blank and the text (the window caption); an "&"
// inside the text is doubled so that it shows as itself.
#pragma once

#include <QAction>
#include <QPointer>

class TChildForm;

class TWindowsMenuItem : public QAction {
public:
    explicit TWindowsMenuItem(const QString& text, QObject* parent = nullptr) : QAction(parent), text_(text) {
        setCheckable(true);
        SetNumber(1);
    }

    QPointer<TChildForm> Window;

    const QString& Text() const { return text_; }
    // A new text keeps the number.
    void SetText(const QString& text) {
        text_ = text;
        SetNumber(number_);
    }
    int Number() const { return number_; }
    void SetNumber(int n) {
        number_ = n;
        QString shown = text_;
        shown.replace(QLatin1String("&"), QLatin1String("&&"));
        setText(QLatin1Char('&') + QString::number(n) + QLatin1Char(' ') + shown);
    }

private:
    QString text_;
    int number_ = 1;
};
