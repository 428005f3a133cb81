#include "tallowick/startup/TerminalProgress.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace tallowick {

QByteArray progressBarLine(const ProgressState& progress, int barWidth) {
    const double percent = std::clamp(progress.percent, 0.0, 100.0);
    const int filled = static_cast<int>(std::floor(percent * barWidth / 100.0));
    QByteArray line = progress.caption.toUtf8();
    line += " [";
    line += QByteArray(filled, '#');
    line += QByteArray(barWidth - filled, '.');
    line += "] ";
    line += QByteArray::number(static_cast<int>(std::floor(percent))).rightJustified(3, ' ');
    line += '%';
    return line;
}

TerminalProgress::TerminalProgress(const ProgressDisplay& display, std::FILE* out, QObject* parent)
    : QObject(parent), display_(display), out_(out) {
    connect(&display_, &ProgressDisplay::progressChanged, this, &TerminalProgress::show);
}

bool TerminalProgress::isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

void TerminalProgress::show() {
    // "\r" returns to the line's start and ESC [K erases what is left of an
    // earlier, longer line.
    const ProgressState& progress = display_.state();
    if (progress.open) {
        std::fprintf(out_, "\r%s\x1b[K", progressBarLine(progress, kBarWidth).constData());
        lineShown_ = true;
    } else if (lineShown_) {
        std::fputs("\r\x1b[K", out_);
        lineShown_ = false;
    }
    std::fflush(out_);
}

} // namespace tallowick
