#pragma once

#include "automation/ServedObject.h"

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace cinderloom {

class Film;

// The options dialog: asks for the number of frames of the new roll, makes
// the film of that many empty slots and then lets the program go on to the
// main window. It has no operations the host may call.
class CLOptions : public QWidget {
    Q_OBJECT

public:
    // `filmMade` runs once `film` is the new roll.
    CLOptions(Film& film, std::function<void()> filmMade, QWidget* parent = nullptr);

    // What the host may call: nothing. Every call is the table's
    // host::UnknownOperationError.
    host::AutomationObject& automation() { return automation_; }

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

private:
    static const host::ServedObject<CLOptions>::Table& operations();

    // Refuses a length the film cannot have, saying why; true when accepted.
    bool acceptFilmLength(double typed);

    Film& film_;
    std::function<void()> filmMade_;
    host::ServedObject<CLOptions> automation_;
};

} // namespace cinderloom
