#pragma once

#include <QString>
#include <vector>

namespace pobelo {

// Slots of one question record.
namespace slot {
inline constexpr int kHeading = 0;
inline constexpr int kFontName = 42;
inline constexpr int kFieldsPerRecord = 43;
// The readings a teacher's file gives its items' words (｜漢字《かんじ》), as readingsSlotText
// writes them; empty for a drill program's file, whose fields keep every character they hold.
inline constexpr int kReadings = 43;
// Item i (0 to 9) of a record.
inline constexpr int beforeText(int i) {
    return 4 * i + 2;
}
inline constexpr int answer(int i) {
    return 4 * i + 3;
}
inline constexpr int askedText(int i) {
    return 4 * i + 4;
}
inline constexpr int afterText(int i) {
    return 4 * i + 5;
}
}  // namespace slot

// The question table: 2001 records by 46 string slots, allocated once for the whole run and
// never cleared. A load overwrites records from index 0 upwards.
class QuestionTable {
  public:
    static constexpr int kRecords = 2001;
    static constexpr int kSlots = 46;

    QuestionTable() : slots_(kRecords * kSlots) {}

    static bool inRange(int record, int slot) {
        return record >= 0 && record < kRecords && slot >= 0 && slot < kSlots;
    }
    // Both indices must be in range.
    const QString& at(int record, int slot) const { return slots_[index(record, slot)]; }
    void set(int record, int slot, QString value) {
        slots_[index(record, slot)] = std::move(value);
    }
    // The slot itself, for a reader that overwrites it in place and so reuses its memory.
    QString& slotText(int record, int slot) { return slots_[index(record, slot)]; }

  private:
    static std::size_t index(int record, int slot) {
        return static_cast<std::size_t>(record) * kSlots + static_cast<std::size_t>(slot);
    }
    std::vector<QString> slots_;
};

}  // namespace pobelo
