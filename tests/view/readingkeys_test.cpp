// Which command a key stroke gives, decided on the press: X11 delivers the release's text
// without Shift, so a test of the release alone would not see Shift+P pause.
#include "view/readingkeys.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

TEST(ReadingKeys, ModifiersDecideAsPressed)
{
    const struct {
        KeyStroke stroke;
        ReadingKey command;
    } cases[] = {
        {{Qt::Key_P, QStringLiteral("p"), {}}, ReadingKey::TogglePause},
        {{Qt::Key_P, QStringLiteral("P"), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_0, QStringLiteral("0"), {}}, ReadingKey::ResetSession},
        {{Qt::Key_0, QStringLiteral("0"), Qt::ControlModifier}, ReadingKey::None}, // Fit Width
        {{Qt::Key_ParenRight, QStringLiteral(")"), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_J, QStringLiteral("j"), Qt::ControlModifier}, ReadingKey::None},
        {{Qt::Key_L, QStringLiteral("l"), Qt::AltModifier}, ReadingKey::None},
        {{Qt::Key_Less, QStringLiteral("<"), Qt::ShiftModifier}, ReadingKey::SelectPrevious},
        {{Qt::Key_Tab, QStringLiteral("\t"), {}}, ReadingKey::TogglePause},
        {{Qt::Key_Backtab, QString(), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_Right, QString(), Qt::KeypadModifier}, ReadingKey::SelectNext},
        {{Qt::Key_Up, QString(), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_PageDown, QString(), {}}, ReadingKey::None},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stroke.text.toStdString() + " key " + std::to_string(c.stroke.key));
        EXPECT_EQ(readingKeyFor(c.stroke), c.command);
    }
}

} // namespace
} // namespace narrata
