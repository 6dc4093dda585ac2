#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;

namespace vontal {

// The last item of the window: a form with the "Launch on login" toggle. It only shows and
// reports; the state and what a change does belong to the content view.
class LaunchAtLoginBlock final : public QWidget {
public:
    static constexpr int kRowHeight = 20;
    static constexpr int kHorizontalPadding = 6;
    static constexpr int kToggleBottomPadding = 9;

    // `appeared` runs each time the block is shown in its window; `flipped` after every user
    // flip of the toggle, with the new value.
    LaunchAtLoginBlock(std::function<void()> appeared, std::function<void(bool)> flipped,
                       QWidget* parent = nullptr);

    // Shows a value without reporting it as a flip.
    void display(bool on);
    QCheckBox* toggle() const { return toggle_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<void()> appeared_;
    QCheckBox* toggle_ = nullptr;
};

} // namespace vontal
