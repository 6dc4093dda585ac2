#include "defaults_variant.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace vontal {

namespace {

QVariant scalarToVariant(const DefaultsScalar& scalar) {
    return std::visit(
        [](const auto& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return QString::fromStdString(v);
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return QVariant::fromValue(qlonglong(v));
            else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>)
                return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
            else
                return QVariant::fromValue(v);
        },
        scalar);
}

std::optional<DefaultsScalar> scalarFromVariant(const QVariant& variant) {
    switch (variant.typeId()) {
    case QMetaType::QString:
        return variant.toString().toStdString();
    case QMetaType::Int:
    case QMetaType::LongLong:
        return std::int64_t(variant.toLongLong());
    case QMetaType::Double:
        return variant.toDouble();
    case QMetaType::Bool:
        return variant.toBool();
    case QMetaType::QByteArray: {
        const QByteArray bytes = variant.toByteArray();
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QVariant toVariant(const DefaultsValue& value) {
    if (const auto* dictionary = std::get_if<DefaultsDictionary>(&value)) {
        QVariantMap map;
        for (const auto& [key, scalar] : *dictionary)
            map.insert(QString::fromStdString(key), scalarToVariant(scalar));
        return map;
    }
    return std::visit(
        [](const auto& v) -> QVariant {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, DefaultsDictionary>)
                return {}; // handled above
            else
                return scalarToVariant(DefaultsScalar(v));
        },
        value);
}

std::optional<DefaultsValue> fromVariant(const QVariant& variant) {
    if (variant.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = variant.toMap();
        DefaultsDictionary dictionary;
        for (auto it = map.begin(); it != map.end(); ++it) {
            auto scalar = scalarFromVariant(it.value());
            if (!scalar)
                return std::nullopt;
            dictionary.emplace(it.key().toStdString(), std::move(*scalar));
        }
        return dictionary;
    }
    auto scalar = scalarFromVariant(variant);
    if (!scalar)
        return std::nullopt;
    return std::visit([](auto&& v) -> DefaultsValue { return std::move(v); }, std::move(*scalar));
}

} // namespace vontal
