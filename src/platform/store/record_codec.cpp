#include "platform/store/record_codec.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/store/fold.h"

namespace zem::store {

bool IsText(const FieldDef& field) {
    return field.type == FieldType::String || field.type == FieldType::CString;
}

std::vector<std::string> DataColumns(const TableDef& def) {
    std::vector<std::string> columns;
    for (const FieldDef& field : def.fields) {
        if (field.dim <= 1) {
            columns.emplace_back(field.name);
            continue;
        }
        for (std::uint32_t i = 1; i <= field.dim; ++i)
            columns.push_back(std::string(field.name) + "_" + std::to_string(i));
    }
    return columns;
}

std::vector<int> FoldedFields(const TableDef& def) {
    std::vector<int> fields;
    for (const KeyDef& key : def.keys)
        for (std::uint16_t f : key.fields)
            if (IsText(def.fields[f]) && std::find(fields.begin(), fields.end(), f) == fields.end())
                fields.push_back(f);
    return fields;
}

std::string FoldedColumn(std::string_view field) {
    return "_key_" + std::string(field);
}

std::vector<std::string> KeyColumns(const TableDef& def, std::size_t key) {
    std::vector<std::string> columns;
    for (std::uint16_t f : def.keys[key].fields) {
        const FieldDef& field = def.fields[f];
        columns.push_back(IsText(field) ? FoldedColumn(field.name) : std::string(field.name));
    }
    return columns;
}

std::string_view StoredText(const FieldDef& field, const std::byte* element) {
    const char* p = reinterpret_cast<const char*>(element);
    std::size_t n = field.size;
    if (field.type == FieldType::CString) {
        const void* nul = std::memchr(p, 0, n);
        n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : (n ? n - 1 : 0);
    } else {
        while (n > 0 && p[n - 1] == ' ') --n;
    }
    return {p, n};
}

std::int64_t IntegerOf(const FieldDef& field, const std::byte* element) {
    switch (field.type) {
        case FieldType::Byte: {
            std::uint8_t v;
            std::memcpy(&v, element, 1);
            return v;
        }
        case FieldType::Short: {
            std::int16_t v;
            std::memcpy(&v, element, 2);
            return v;
        }
        case FieldType::Long:
        case FieldType::Date:
        case FieldType::Time: {
            std::int32_t v;
            std::memcpy(&v, element, 4);
            return v;
        }
        case FieldType::Real: {
            double v;
            std::memcpy(&v, element, 8);
            return static_cast<std::int64_t>(v);
        }
        default:
            return 0;
    }
}

void StoreInteger(const FieldDef& field, std::byte* element, std::int64_t value) {
    switch (field.type) {
        case FieldType::Byte: {
            auto v = static_cast<std::uint8_t>(value);
            std::memcpy(element, &v, 1);
            break;
        }
        case FieldType::Short: {
            auto v = static_cast<std::int16_t>(value);
            std::memcpy(element, &v, 2);
            break;
        }
        case FieldType::Long:
        case FieldType::Date:
        case FieldType::Time: {
            auto v = static_cast<std::int32_t>(value);
            std::memcpy(element, &v, 4);
            break;
        }
        case FieldType::Real: {
            auto v = static_cast<double>(value);
            std::memcpy(element, &v, 8);
            break;
        }
        default:
            break;
    }
}

void BindRecord(Statement& st, int first, const TableDef& def, const std::vector<int>& folded,
                const std::byte* record) {
    int i = first;
    for (const FieldDef& field : def.fields) {
        for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e) {
            const std::byte* p = record + field.offset + e * field.size;
            if (field.type == FieldType::Real) {
                double v;
                std::memcpy(&v, p, 8);
                st.Bind(i++, v);
            } else if (IsText(field)) {
                st.BindStatic(i++, StoredText(field, p));
            } else {
                st.Bind(i++, IntegerOf(field, p));
            }
        }
    }
    for (int f : folded) {
        const FieldDef& field = def.fields[f];
        st.Bind(i++, FoldKeyText(StoredText(field, record + field.offset)));
    }
}

void ReadRecord(const Statement& st, int first, const TableDef& def, std::byte* record) {
    int i = first;
    for (const FieldDef& field : def.fields) {
        for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e) {
            std::byte* p = record + field.offset + e * field.size;
            if (field.type == FieldType::Real) {
                double v = st.Real(i++);
                std::memcpy(p, &v, 8);
            } else if (IsText(field)) {
                std::string_view text = st.Text(i++);
                std::size_t room = field.type == FieldType::CString ? field.size - 1 : field.size;
                std::size_t n = std::min(text.size(), room);
                std::memcpy(p, text.data(), n);
                std::memset(p + n, field.type == FieldType::CString ? 0 : ' ', field.size - n);
            } else {
                StoreInteger(field, p, st.Int(i++));
            }
        }
    }
}

void AppendCompact(const Statement& st, int first, const TableDef& def,
                   std::vector<std::byte>& arena) {
    int i = first;
    auto put = [&](const void* p, std::size_t n) {
        const std::size_t at = arena.size();
        arena.resize(at + n);
        std::memcpy(arena.data() + at, p, n);
    };
    for (const FieldDef& field : def.fields) {
        for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e) {
            if (field.type == FieldType::Real) {
                double v = st.Real(i++);
                put(&v, 8);
            } else if (IsText(field)) {
                std::string_view text = st.Text(i++);
                auto n = static_cast<std::uint32_t>(text.size());
                put(&n, 4);
                put(text.data(), n);
            } else {
                std::int64_t v = st.Int(i++);
                put(&v, 8);
            }
        }
    }
}

void ExpandCompact(const std::byte* src, const TableDef& def, std::byte* record) {
    for (const FieldDef& field : def.fields) {
        for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e) {
            std::byte* p = record + field.offset + e * field.size;
            if (field.type == FieldType::Real) {
                std::memcpy(p, src, 8);
                src += 8;
            } else if (IsText(field)) {
                std::uint32_t n;
                std::memcpy(&n, src, 4);
                src += 4;
                std::size_t room = field.type == FieldType::CString ? field.size - 1 : field.size;
                std::size_t copy = std::min<std::size_t>(n, room);
                std::memcpy(p, src, copy);
                std::memset(p + copy, field.type == FieldType::CString ? 0 : ' ',
                            field.size - copy);
                src += n;
            } else {
                std::int64_t v;
                std::memcpy(&v, src, 8);
                StoreInteger(field, p, v);
                src += 8;
            }
        }
    }
}

KeyTuple MakeTuple(const TableDef& def, std::size_t key, const std::byte* record) {
    KeyTuple tuple;
    for (std::uint16_t f : def.keys[key].fields) {
        const FieldDef& field = def.fields[f];
        const std::byte* p = record + field.offset;
        if (IsText(field)) {
            tuple.emplace_back(FoldKeyText(StoredText(field, p)));
        } else if (field.type == FieldType::Real) {
            double v;
            std::memcpy(&v, p, 8);
            tuple.emplace_back(v);
        } else {
            tuple.emplace_back(IntegerOf(field, p));
        }
    }
    return tuple;
}

int BindTuple(Statement& st, int first, const KeyTuple& tuple) {
    for (const KeyValue& v : tuple) {
        if (auto* n = std::get_if<std::int64_t>(&v))
            st.Bind(first++, *n);
        else if (auto* d = std::get_if<double>(&v))
            st.Bind(first++, *d);
        else
            st.Bind(first++, std::string_view(std::get<std::string>(v)));
    }
    return first;
}

void ClearFieldBytes(const FieldDef& field, std::byte* record, int how) {
    std::byte* p = record + field.offset;
    std::size_t bytes =
        static_cast<std::size_t>(field.size) * std::max<std::uint32_t>(field.dim, 1);
    if (IsText(field)) {
        // Blank is the lowest text a key can hold: keys compare texts without trailing blanks.
        if (how <= 0)
            std::memset(p, field.type == FieldType::CString ? 0 : ' ', bytes);
        else
            std::memset(p, 0xFF, bytes);
        if (how > 0 && field.type == FieldType::CString)
            for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e)
                p[(e + 1) * field.size - 1] = std::byte{0};
        return;
    }
    for (std::uint32_t e = 0; e < std::max<std::uint32_t>(field.dim, 1); ++e) {
        std::byte* q = p + e * field.size;
        if (field.type == FieldType::Real) {
            double v = how == 0  ? 0.0
                       : how < 0 ? -std::numeric_limits<double>::max()
                                 : std::numeric_limits<double>::max();
            std::memcpy(q, &v, 8);
            continue;
        }
        std::int64_t lo = 0, hi = 0;
        switch (field.type) {
            case FieldType::Byte:
                lo = 0, hi = 255;
                break;
            case FieldType::Short:
                lo = INT16_MIN, hi = INT16_MAX;
                break;
            default:
                lo = INT32_MIN, hi = INT32_MAX;
                break;
        }
        StoreInteger(field, q, how == 0 ? 0 : how < 0 ? lo : hi);
    }
}

}  // namespace zem::store
