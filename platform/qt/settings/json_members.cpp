#include "json_members.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vontal {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

qsizetype skipSpace(const QByteArray& text, qsizetype at) {
    while (at < text.size() && isSpace(text[at]))
        ++at;
    return at;
}

// From the opening quote of a string to just past its closing quote.
qsizetype pastString(const QByteArray& text, qsizetype at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\')
            ++at;
        else if (text[at] == '"')
            return at + 1;
    }
    return at;
}

// From the start of a value to the ',' or '}' that ends it at the top level.
qsizetype pastValue(const QByteArray& text, qsizetype at) {
    int depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"') {
            at = pastString(text, at);
            continue;
        }
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (depth == 0)
                return at;
            --depth;
        } else if (c == ',' && depth == 0) {
            return at;
        }
        ++at;
    }
    return at;
}

} // namespace

std::optional<std::vector<JsonMember>> jsonObjectMembers(const QByteArray& document) {
    // Qt says whether it is JSON at all; the walk below only finds where each member stands.
    QJsonParseError error{};
    if (!QJsonDocument::fromJson(document, &error).isObject() ||
        error.error != QJsonParseError::NoError)
        return std::nullopt;

    std::vector<JsonMember> members;
    qsizetype at = skipSpace(document, 0);
    if (at >= document.size() || document[at] != '{')
        return std::nullopt;
    at = skipSpace(document, at + 1);
    if (at < document.size() && document[at] == '}')
        return members;
    while (at < document.size() && document[at] == '"') {
        const qsizetype keyStart = at;
        at = pastString(document, at);
        const QByteArray keyText = document.mid(keyStart, at - keyStart);
        at = skipSpace(document, at);
        if (at >= document.size() || document[at] != ':')
            return std::nullopt;
        const qsizetype valueStart = skipSpace(document, at + 1);
        at = pastValue(document, valueStart);
        qsizetype valueEnd = at;
        while (valueEnd > valueStart && isSpace(document[valueEnd - 1]))
            --valueEnd;
        const QByteArray valueText = document.mid(valueStart, valueEnd - valueStart);
        // Key and value read back as Qt reads them; a pair that does not is a walk gone wrong.
        const QJsonDocument pair = QJsonDocument::fromJson('[' + keyText + ',' + valueText + ']');
        if (!pair.isArray() || pair.array().size() != 2 || !pair.array()[0].isString())
            return std::nullopt;
        members.push_back({pair.array()[0].toString(), pair.array()[1], valueText});
        if (at < document.size() && document[at] == ',') {
            at = skipSpace(document, at + 1);
            continue;
        }
        if (at < document.size() && document[at] == '}')
            return members;
        return std::nullopt;
    }
    return std::nullopt;
}

QByteArray memberText(const QJsonValue& value) {
    if (value.isObject() || value.isArray()) {
        QByteArray text = value.isObject()
                              ? QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented)
                              : QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented);
        text.chop(1); // the document's final line break
        // One level deeper than a document of its own.
        return text.replace('\n', "\n    ");
    }
    // Qt writes only objects and lists as documents: a scalar is written as the one element of a
    // list, without its brackets.
    const QByteArray list = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return list.mid(1, list.size() - 2);
}

} // namespace vontal
