// UserData.h — user data lists (udta) and the text entries of 0xA9 items.
/*
 * udta  a list of items, each an atom: size u32, type u32, the item's
 *       bytes. Classic files may end the list with a 32-bit zero, kept as
 *       the list's tail.
 * A text item (type beginning with 0xA9, such as 0xA9 'nam') holds one or
 * more text entries:
 *       length u16 (of the text), language u16 (a classic language code),
 *       text bytes
 */
#pragma once

#include "platform/movies/format/Atom.h"

namespace platform::movies {

struct UserDataItem {
    OSType type = 0;
    std::vector<UInt8> data;
    bool operator==(const UserDataItem&) const = default;
};

class UserData {
public:
    std::vector<UserDataItem> items;   // in file order
    std::vector<UInt8> tail;

    bool empty() const { return items.empty() && tail.empty(); }
    size_t count(OSType type) const;
    // The index-th item of a type, counting from 1; null when there is none.
    const UserDataItem* find(OSType type, size_t index) const;
    UserDataItem* find(OSType type, size_t index);
    // A new item after the last one of its type (or at the end).
    void add(OSType type, std::vector<UInt8> data);
    // Removes the index-th item of a type; false when there is none.
    bool remove(OSType type, size_t index);

    static Result<UserData> parse(ByteReader body);
    Result<void> write(ByteWriter& w) const;
    void dump(std::ostream& out, int level) const;
    bool operator==(const UserData&) const = default;
};

inline bool is_text_item(OSType type) { return (type >> 24) == 0xA9; }

struct TextEntry {
    UInt16 language = 0;
    std::string text;
    bool operator==(const TextEntry&) const = default;
};

Result<std::vector<TextEntry>> parse_text_entries(std::span<const UInt8> data);
Result<std::vector<UInt8>> write_text_entries(const std::vector<TextEntry>& entries);

// Sets the text of `language` in the index-th item of `type` (1-based),
// replacing an entry of that language or adding one; index count+1 adds a
// new item. Fails with userDataItemNotFound past that.
Result<void> set_user_data_text(UserData& ud, OSType type, size_t index, const std::string& text,
                                UInt16 language);
// The text of `language` in the index-th item of `type`.
Result<std::string> get_user_data_text(const UserData& ud, OSType type, size_t index,
                                       UInt16 language);

}  // namespace platform::movies
