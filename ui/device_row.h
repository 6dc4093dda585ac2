#pragma once

#include "devicelink/bluetooth.h"
#include "elided_label.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace vontal {

// One row of a device list: the label, a flexible gap, the status dot and the words for the
// device's state (connected list only) and a bordered button. The row keeps the handle it was last
// given so that a tap acts on it.
class DeviceRow final : public QWidget {
public:
    enum class Kind { Connected, Discovered };
    using Tap = std::function<void(const PeripheralRef&)>;
    // Where a connected row's device stands: the words, and the dot that goes with them.
    struct Standing {
        QString words;
        QString dot;
    };

    static constexpr int kVerticalPadding = 4;
    static constexpr int kHorizontalInset = 8;

    DeviceRow(Kind kind, Tap tap, QWidget* parent = nullptr);

    // Shows the peripheral under this label (a text from outside, shown as plain, bounded text),
    // and (connected rows) where the device stands. A connected row reads the link state now for
    // its button, so a state change shows only when the row is presented again.
    void present(const PeripheralRef& peripheral, const QString& label,
                 const Standing& standing = {});

    const PeripheralRef& peripheral() const { return peripheral_; }
    ElidedLabel* nameLabel() const { return name_; }
    QLabel* statusLabel() const { return status_; } // absent in the discovered list
    QLabel* stateLabel() const { return state_; }   // absent in the discovered list
    QPushButton* button() const { return button_; }

private:
    const Kind kind_;
    const Tap tap_;
    PeripheralRef peripheral_;
    ElidedLabel* name_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* state_ = nullptr;
    QPushButton* button_ = nullptr;
};

} // namespace vontal
