#pragma once

#include "device_row.h"

#include <QScrollArea>
#include <compare>
#include <map>
#include <vector>

namespace vontal {

// A plain scrolling list of device rows. Rows are keyed by the peripheral's identifier (and by
// its occurrence, since the connected list may hold one peripheral twice), so a row keeps its
// widget while its peripheral stays listed, wherever it moves. Rows have one height and are
// placed by hand: appending a row to a list of thousands touches only that row.
class DeviceListView final : public QScrollArea {
public:
    using Labeler = std::function<QString(const PeripheralRef&)>;
    using Stander = std::function<DeviceRow::Standing(const PeripheralRef&)>;

    DeviceListView(DeviceRow::Kind kind, DeviceRow::Tap tap, QWidget* parent = nullptr);

    // One row per entry, in list order; rows of peripherals no longer listed go away. `state`
    // says where each device stands (connected rows only).
    void present(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                 const Stander& state = {});

    // Puts the rows' buttons in list order into the keyboard focus chain right after `after`;
    // returns the last of them, or `after` when the list is empty. Rows already placed after the
    // same widget, and not moved since, stay where they are.
    QWidget* chainFocus(QWidget* after);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    DeviceRow* row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

protected:
    bool viewportEvent(QEvent* event) override;

private:
    struct Key {
        BluetoothUuid identifier;
        int occurrence = 0;
        friend auto operator<=>(const Key&, const Key&) = default;
    };

    void append(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                const Stander& state);
    void rearrange(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                   const Stander& state);
    // Rows before `unchanged` are where they were; a taller new row moves them all.
    void settle(std::size_t unchanged, int tallest);
    void place(std::size_t from);
    void fitCanvas();

    const DeviceRow::Kind kind_;
    const DeviceRow::Tap tap_;
    QWidget* canvas_ = nullptr;
    std::vector<DeviceRow*> rows_;
    std::map<Key, DeviceRow*> rowsByKey_;
    int rowHeight_ = 0;
    // The leading rows whose buttons are in the focus chain in list order after chainAnchor_.
    std::size_t chained_ = 0;
    QWidget* chainAnchor_ = nullptr;
};

} // namespace vontal
