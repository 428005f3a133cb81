#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace tests {

// The texts of a window's labels, captions and buttons measured against the
// room their widgets draw them in, with the font each widget actually uses.
struct TextFit {
    int checked = 0;
    // One line per text that is cut or runs into its widget's edge.
    std::vector<QString> cut;
};

// Every label, check box, push button and maker button inside `window`
// (itself included) that is not hidden and has a text.
TextFit measureTexts(const QWidget& window);

} // namespace tests
