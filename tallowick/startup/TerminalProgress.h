#pragma once

#include "tallowick/model/ProgressDisplay.h"

#include <QByteArray>
#include <QObject>
#include <cstdio>

namespace tallowick {

// The one-line bar for a terminal: "Caption [#####.....]  50%", the bar
// `barWidth` characters wide, filled in proportion to the percentage
// (rounded down, so it is full only at 100).
QByteArray progressBarLine(const ProgressState& progress, int barWidth);

// Shows the host's progress display as a one-line bar that redraws itself
// in place on `out`, and clears the line when the display closes. Meant for
// standard error when that is a terminal (the headless host).
class TerminalProgress : public QObject {
    Q_OBJECT

public:
    static constexpr int kBarWidth = 30;

    TerminalProgress(const ProgressDisplay& display, std::FILE* out, QObject* parent = nullptr);
    static bool isTerminal(std::FILE* stream);

private:
    void show();

    const ProgressDisplay& display_;
    std::FILE* out_;
    bool lineShown_ = false;
};

} // namespace tallowick
