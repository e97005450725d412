#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// Tells a badge scanned into a box apart from typing. A badge reader types the number
// and Enter far faster than a hand: digits each within kScanGapMs of the one before, and
// Enter within the same time, make a badge. The digits went into the box as they came;
// once Enter shows they were a badge, the box gets back what it held before them and the
// Enter goes no further. Anything else passes unchanged.
class BadgeScanWatch : public QObject
{
public:
    // The longest pause between two keys of one scan, and the shortest badge.
    static constexpr qint64 kScanGapMs = 50;
    static constexpr int kShortestBadge = 3;

    // `scanned` gets the number; `active` says whether scans count now.
    BadgeScanWatch(QObject* parent, std::function<bool()> active,
                   std::function<void(const QString&)> scanned);

    // Watches the keys that reach this control.
    void watch(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void forget();

    std::function<bool()> m_active;
    std::function<void(const QString&)> m_scanned;
    QElapsedTimer m_clock;
    // The run of digits so far, where it is typed, and that box's text before it.
    QString m_digits;
    QPointer<QObject> m_target;
    QString m_textBefore;
    int m_cursorBefore = 0;
    qint64 m_lastKeyAt = 0;
};
