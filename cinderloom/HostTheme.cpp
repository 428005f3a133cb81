#include "cinderloom/HostTheme.h"

#include "maker/widgets/ColorValue.h"
#include "maker/widgets/HPropScroller.h"
#include "platform/Conversions.h"
#include "platform/Settings.h"
#include "platform/TextToNumber.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <array>
#include <stdexcept>

namespace cinderloom {
namespace {

struct ThemeKey {
    const char* name;
    int32_t defaultValue;
};

// The host's keys in the order it defines them.
constexpr std::array<ThemeKey, 19> kThemeKeys{{
    {"Shine_Color", 14737632},
    {"Shadow_Color", 2105376},
    {"Half_Shine_Color", 12632256},
    {"Half_Shadow_Color", 7368816},
    {"Button_Fill_Color", 12632256},
    {"Scroll_Fill_Color", 10392975},
    {"Scroll_Bar_Color", 16777215},
    {"Tab_Highlight_Color", 13694207},
    {"Ruler_Color", 12118266},
    {"Textbox_Fill_Color", 6706517},
    {"Textbox_Text_Color", 8974079},
    {"Special_Backdrop_Color", 10392975},
    {"Special_Tool_Color", 12697289},
    {"Special_Setting_Color", 12961206},
    {"Special_Action_Color", 11911101},
    {"Borderless_Buttons", 0},
    {"Borderless_Scrollers", 0},
    {"Borderless_Strings", 0},
    {"Borderless_Tabs", 0},
}};

enum KeyIndex : std::size_t {
    kShine = 0,
    kShadow = 1,
    kScrollFill = 5,
    kScrollBar = 6,
    kTextboxFill = 9,
    kTextboxText = 10,
    kBorderlessScrollers = 16,
};

// A whole text that reads as a number: decimal with optional sign, fraction
// and exponent, or "&H" hexadecimal or "&O" octal, with the blanks
// textToNumber skips around it. textToNumber alone would read a word as 0.
bool isNumberText(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^[ \t\n]*(?:[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?|)"
                       R"(&[hH][0-9a-fA-F]+|&[oO][0-7]+)[ \t\n]*$)"));
    return number.match(text).hasMatch();
}

int32_t readThemeValue(const ThemeKey& key) {
    const QString name = QString::fromLatin1(key.name);
    const QString text = platform::readStartupSetting(name, QString::number(key.defaultValue));
    const auto failure = [&](const char* reason) {
        return ThemeSettingError(QStringLiteral("Theme setting \"%1\" holds \"%2\", %3")
                                     .arg(name, text, QLatin1String(reason))
                                     .toStdString());
    };
    if (!isNumberText(text))
        throw failure("which is not a number");
    try {
        return platform::toInt32(platform::textToNumber(text));
    } catch (const platform::OverflowError&) {
        throw failure("which does not fit a 32-bit integer");
    }
}

// One setting of a control; a colour the control refuses (a value that is no
// colour, or an invalid one) skips just this setting.
template <typename Setting> void skipOnFailure(Setting&& setting) {
    try {
        setting();
    } catch (const std::out_of_range&) {
        // The value lies outside 0x00BBGGRR.
    } catch (const std::invalid_argument&) {
        // The widget takes no invalid colour.
    }
}

void setPaletteColor(QWidget& widget, QPalette::ColorRole role, int32_t value) {
    QPalette palette = widget.palette();
    palette.setColor(role, maker::colorFromValue(value));
    widget.setPalette(palette);
}

void recolourTextField(QWidget& control, const HostTheme& theme) {
    skipOnFailure([&] { setPaletteColor(control, QPalette::Base, theme.textboxFill); });
    skipOnFailure([&] { setPaletteColor(control, QPalette::Text, theme.textboxText); });
}

void recolourScroller(maker::HPropScroller& scroller, const HostTheme& theme) {
    skipOnFailure([&] { scroller.setBackColor(maker::colorFromValue(theme.scrollFill)); });
    skipOnFailure([&] { scroller.setForeColor(maker::colorFromValue(theme.scrollBar)); });
    const int32_t highlight = theme.borderlessScrollers ? theme.scrollFill : theme.shine;
    const int32_t shadow = theme.borderlessScrollers ? theme.scrollFill : theme.shadow;
    skipOnFailure([&] { scroller.setHighlight(maker::colorFromValue(highlight)); });
    skipOnFailure([&] { scroller.setShadow(maker::colorFromValue(shadow)); });
    scroller.Refresh();
}

void recolourControl(QWidget& control, const HostTheme& theme) {
    if (qobject_cast<QCheckBox*>(&control) || qobject_cast<QGroupBox*>(&control)) {
        setPaletteColor(control, QPalette::Window, kThemeBackdropColor);
        control.setAutoFillBackground(true);
    } else if (qobject_cast<QLineEdit*>(&control) || qobject_cast<QTextEdit*>(&control) ||
               qobject_cast<QPlainTextEdit*>(&control) || qobject_cast<QComboBox*>(&control)) {
        recolourTextField(control, theme);
    }

    if (auto* scroller = qobject_cast<maker::HPropScroller*>(&control))
        recolourScroller(*scroller, theme);
    else if (qobject_cast<QAbstractItemView*>(&control))
        recolourTextField(control, theme);
}

} // namespace

HostTheme readHostTheme() {
    std::array<int32_t, kThemeKeys.size()> values{};
    for (std::size_t i = 0; i < kThemeKeys.size(); ++i)
        values[i] = readThemeValue(kThemeKeys[i]);
    HostTheme theme;
    theme.shine = values[kShine];
    theme.shadow = values[kShadow];
    theme.scrollFill = values[kScrollFill];
    theme.scrollBar = values[kScrollBar];
    theme.textboxFill = values[kTextboxFill];
    theme.textboxText = values[kTextboxText];
    theme.borderlessScrollers = values[kBorderlessScrollers] != 0;
    return theme;
}

void recolourControls(const HostTheme& theme, const std::vector<QWidget*>& controls) {
    for (QWidget* control : controls)
        if (control)
            recolourControl(*control, theme);
}

} // namespace cinderloom
