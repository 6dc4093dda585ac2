#pragma once

#include "platform/user_defaults.h"

#include <QVariant>
#include <optional>

namespace vontal {

// Between the store's value kinds and the QVariants that QSettings holds: QString, qlonglong,
// double, bool, QByteArray, and a QVariantMap of those for a dictionary. Anything else reads as
// nothing, as an absent key would.
QVariant toVariant(const DefaultsValue& value);
std::optional<DefaultsValue> fromVariant(const QVariant& variant);

} // namespace vontal
