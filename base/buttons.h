// Buttons of the suite: TFlatButton (a flat speed button of the window's top panel: it does
// not take the focus, so the control being edited keeps it, as on the platform) and
// TToolButtonEx (a check button of a tool bar). Their OnClick runs through the guard.
#pragma once

#include <QStyle>
#include <QToolButton>
#include <functional>

class TFlatButton : public QToolButton {
    Q_OBJECT
  public:
    explicit TFlatButton(QWidget* parent = nullptr);
    std::function<void()> OnClick;
    // Runs OnClick as a click would (through the guard); false when it raised.
    bool Click();
};

// A flat button of a window's button panel: `text` beside the style's standard icon `icon`,
// `text` also its hint.
TFlatButton* PanelButton(QWidget* parent, const char* name, const QString& text,
                         QStyle::StandardPixmap icon);

class TToolButtonEx : public QToolButton {
    Q_OBJECT
  public:
    explicit TToolButtonEx(QWidget* parent = nullptr);
    // A check button keeps its down state between clicks.
    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }
    std::function<void()> OnClick;
    bool Click();
};
