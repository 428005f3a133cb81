#include "tallowick/model/ProgressDisplay.h"

#include "tallowick/model/ModelError.h"

namespace tallowick {

void ProgressDisplay::open(const QString& caption) {
    state_.open = true;
    state_.caption = caption;
    emit progressChanged();
}

void ProgressDisplay::setPercent(double percent) {
    if (!(percent >= 0.0 && percent <= 100.0))
        throw ModelError(
            QStringLiteral("a progress of %1 percent is not allowed; it must be 0 to 100")
                .arg(percent)
                .toStdString());
    state_.percent = percent;
    emit progressChanged();
}

void ProgressDisplay::close() {
    state_ = ProgressState{};
    emit progressChanged();
}

} // namespace tallowick
