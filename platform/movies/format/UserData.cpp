#include "platform/movies/format/UserData.h"

namespace platform::movies {

size_t UserData::count(OSType type) const {
    size_t n = 0;
    for (const auto& i : items) n += (i.type == type);
    return n;
}

const UserDataItem* UserData::find(OSType type, size_t index) const {
    if (index == 0) return nullptr;
    for (const auto& i : items)
        if (i.type == type && --index == 0) return &i;
    return nullptr;
}

UserDataItem* UserData::find(OSType type, size_t index) {
    return const_cast<UserDataItem*>(static_cast<const UserData*>(this)->find(type, index));
}

void UserData::add(OSType type, std::vector<UInt8> data) {
    auto at = items.end();
    for (auto it = items.begin(); it != items.end(); ++it)
        if (it->type == type) at = it + 1;
    items.insert(at, UserDataItem{type, std::move(data)});
}

bool UserData::remove(OSType type, size_t index) {
    const UserDataItem* item = find(type, index);
    if (!item) return false;
    items.erase(items.begin() + (item - items.data()));
    return true;
}

Result<UserData> UserData::parse(ByteReader body) {
    UserData ud;
    ChildReader children(body);
    while (!children.done()) {
        ChildAtom c = TRY(children.next());
        auto data = c.body.data();
        ud.items.push_back(UserDataItem{c.header.type, {data.begin(), data.end()}});
    }
    auto t = children.tail();
    ud.tail.assign(t.begin(), t.end());
    return ud;
}

Result<void> UserData::write(ByteWriter& w) const {
    size_t at = begin_atom(w, kUdta);
    for (const auto& i : items) {
        size_t item = begin_atom(w, i.type);
        w.bytes(i.data);
        TRY(end_atom(w, item));
    }
    w.bytes(tail);
    return end_atom(w, at);
}

void UserData::dump(std::ostream& out, int level) const {
    for (const auto& i : items) {
        out << indent(level) << "'" << fourcc_string(i.type) << "' " << i.data.size() << " bytes";
        auto texts = is_text_item(i.type) ? parse_text_entries(i.data) : Result<std::vector<TextEntry>>(Error{});
        if (texts.ok()) {
            for (const auto& t : *texts) out << ", [lang " << t.language << "] \"" << t.text << "\"";
        } else {
            out << ": " << hex_bytes(i.data, 16);
        }
        out << "\n";
    }
    if (!tail.empty()) out << indent(level) << "tail: " << hex_bytes(tail) << "\n";
}

Result<std::vector<TextEntry>> parse_text_entries(std::span<const UInt8> data) {
    ByteReader r(data, invalidMovie);
    std::vector<TextEntry> out;
    while (!r.at_end()) {
        UInt16 length = TRY(r.u16());
        UInt16 language = TRY(r.u16());
        auto text = TRY(r.bytes(length));
        out.push_back(TextEntry{language, std::string(text.begin(), text.end())});
    }
    return out;
}

Result<std::vector<UInt8>> write_text_entries(const std::vector<TextEntry>& entries) {
    ByteWriter w;
    for (const auto& e : entries) {
        if (e.text.size() > 0xFFFF) return fail(paramErr, "text entry longer than 65535 bytes");
        w.u16(UInt16(e.text.size()));
        w.u16(e.language);
        w.bytes(e.text.data(), e.text.size());
    }
    return w.take();
}

Result<void> set_user_data_text(UserData& ud, OSType type, size_t index, const std::string& text,
                                UInt16 language) {
    size_t n = ud.count(type);
    if (index == 0 || index > n + 1) return fail(userDataItemNotFound, "no such user data item");
    std::vector<TextEntry> entries;
    if (index <= n) entries = TRY(parse_text_entries(ud.find(type, index)->data));
    bool replaced = false;
    for (auto& e : entries)
        if (e.language == language) {
            e.text = text;
            replaced = true;
            break;
        }
    if (!replaced) entries.push_back(TextEntry{language, text});
    auto bytes = TRY(write_text_entries(entries));
    if (index <= n) ud.find(type, index)->data = std::move(bytes);
    else ud.add(type, std::move(bytes));
    return ok();
}

Result<std::string> get_user_data_text(const UserData& ud, OSType type, size_t index,
                                       UInt16 language) {
    const UserDataItem* item = ud.find(type, index);
    if (!item) return fail(userDataItemNotFound, "no such user data item");
    auto entries = TRY(parse_text_entries(item->data));
    for (const auto& e : entries)
        if (e.language == language) return e.text;
    return fail(userDataItemNotFound, "no text in that language");
}

}  // namespace platform::movies
