#pragma once

#include "automation/AutomationObject.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace cinderloom {

class Module1;

// The options dialog: asks for the number of frames of the new roll, creates
// the film and hands the main window to the host. It has no operations the
// host may call.
class CLOptions : public QWidget, public host::AutomationObject {
    Q_OBJECT

public:
    // More slots than this are refused: each slot becomes a host frame when
    // the film is shot.
    static constexpr int32_t kMaxFilmLength = 1'000'000;

    explicit CLOptions(Module1& module, QWidget* parent = nullptr);

    // Every call fails with host::HostCallError: the dialog offers nothing.
    host::Variant Invoke(const QString& method, const std::vector<host::Variant>& args) override;

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

private:
    // Refuses a length the film cannot have, saying why; true when accepted.
    bool acceptFilmLength(double typed);

    Module1& module_;
};

} // namespace cinderloom
