#include "server/search/found_items.h"

#include "platform/text.h"

#include <vector>

namespace tolm::server {

namespace {

// Appends ", " (only after some text) and the field, when the field is not empty.
void append_field(std::string& title, std::string_view field) {
    if (field.empty()) return;
    if (!title.empty()) title += ", ";
    title += field;
}

}  // namespace

std::string ProperCase(std::string_view text) {
    std::string out = to_lower_ascii(text);
    bool start = true;
    for (char& c : out) {
        if (start && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        start = c == ' ';
    }
    return out;
}

std::optional<FindResult> address_row(std::string_view found_item_text) {
    const auto fields = split_text(found_item_text, '\t');
    if (fields.size() < 7) return std::nullopt;
    const auto comma = fields[6].find(',');
    if (comma == std::string_view::npos) return std::nullopt;

    FindResult row;
    row.dblLong = parse_leading_number(fields[6].substr(0, comma));
    row.dblLat = parse_leading_number(fields[6].substr(comma + 1));
    std::string title(fields[2]);
    if (!title.empty()) title += ' ';
    title += fields[0];
    row.blnIsPlace = title.empty();
    append_field(title, fields[1]);
    if (!title.empty()) title = ProperCase(title);
    append_field(title, fields[3]);
    append_field(title, fields[4]);
    row.strTitle = std::move(title);
    return row;
}

void AddPhoneResult(std::string_view answer, const AddToListSink& add) {
    const auto fields = split_text(answer, '\t');
    if (fields.size() < 6) return;
    FindResult row;
    row.strTitle = ProperCase(std::string(fields[0]) + ", " + std::string(fields[1]) + ", " + std::string(fields[2])) +
                   ", " + std::string(fields[3]);
    row.dblLong = parse_leading_number(fields[4]);
    row.dblLat = parse_leading_number(fields[5]);
    row.blnIsPlace = true;
    add(row);
}

void AddCallsignResults(std::string_view answer, const AddToListSink& add) {
    for (auto entry : split_text(answer, '\t')) {
        const auto fields = split_text(entry, ',');
        if (fields.size() != 3) continue;
        FindResult row;
        row.strTitle = std::string(fields[0]);
        row.dblLong = parse_leading_number(fields[1]);
        row.dblLat = parse_leading_number(fields[2]);
        add(row);
    }
}

}  // namespace tolm::server
