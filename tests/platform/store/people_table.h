#pragma once
// A small table for the store's tests: an auto-numbered unique id, a unique name, a city key
// with duplicates.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/store/schema.h"

namespace zem::test {

#pragma pack(push, 1)
struct Person {
    std::int32_t ID;
    char NAME[20];  // STRING(20)
    char CITY[16];  // CSTRING(16)
    std::int16_t AGE;
    double SCORE;
    char NOTES[3][8];  // CSTRING(8) DIM(3)
};
#pragma pack(pop)

enum PersonKey { PER_KeyId, PER_KeyName, PER_KeyCity };

inline constexpr std::uint16_t kIdFields[] = {0};
inline constexpr std::uint16_t kNameFields[] = {1};
inline constexpr std::uint16_t kCityFields[] = {2, 1};

inline constexpr store::FieldDef kPersonFields[] = {
    {"ID", store::FieldType::Long, offsetof(Person, ID), 4},
    {"NAME", store::FieldType::String, offsetof(Person, NAME), 20},
    {"CITY", store::FieldType::CString, offsetof(Person, CITY), 16},
    {"AGE", store::FieldType::Short, offsetof(Person, AGE), 2},
    {"SCORE", store::FieldType::Real, offsetof(Person, SCORE), 8},
    {"NOTES", store::FieldType::CString, offsetof(Person, NOTES), 8, 3},
};

inline constexpr store::KeyDef kPersonKeys[] = {
    {"KeyId", kIdFields, true, true, true, "By Id"},
    {"KeyName", kNameFields, true, false, false, "By Name"},
    {"KeyCity", kCityFields, false, false, false, "By City"},
};

inline constexpr store::TableDef kPeople{"People",      "People",    "PER",
                                         kPersonFields, kPersonKeys, sizeof(Person)};
// A second view of the same table, the way an alias sees it.
inline constexpr store::TableDef kPeopleAlias{"aPeople",     "People",    "APE",
                                              kPersonFields, kPersonKeys, sizeof(Person)};

inline void SetText(char* field, std::size_t size, std::string_view text, bool cstring) {
    std::memset(field, cstring ? 0 : ' ', size);
    std::memcpy(field, text.data(), std::min(text.size(), cstring ? size - 1 : size));
}

inline void Fill(Person& p, std::int32_t id, std::string_view name, std::string_view city,
                 std::int16_t age = 30) {
    p.ID = id;
    SetText(p.NAME, sizeof p.NAME, name, false);
    SetText(p.CITY, sizeof p.CITY, city, true);
    p.AGE = age;
    p.SCORE = age * 1.5;
    for (auto& note : p.NOTES) SetText(note, sizeof note, "", true);
}

inline std::string_view Name(const Person& p) {
    std::string_view n(p.NAME, sizeof p.NAME);
    while (!n.empty() && n.back() == ' ') n.remove_suffix(1);
    return n;
}

}  // namespace zem::test
