#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <vector>

namespace vontal {

// One member of a JSON object: its key, its value, and the value's text exactly as it stands in
// the document.
struct JsonMember {
    QString key;
    QJsonValue value;
    QByteArray text;
};

// The members of a document whose top level is one JSON object, in the order they stand; nothing
// when the document is not JSON or its top level is not an object.
//
// The text is kept because Qt's JSON values lose what a program that wrote the document may rely
// on: 3.0 comes back as 3, -0.0 as 0, and an integer past 2^63 rounded. Writing a member back as
// its text keeps it exactly.
std::optional<std::vector<JsonMember>> jsonObjectMembers(const QByteArray& document);

// The text Qt writes for a value in an indented document, as a member of the top-level object.
QByteArray memberText(const QJsonValue& value);

} // namespace vontal
