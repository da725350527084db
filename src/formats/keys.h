// formats/keys.h: how the numbers that a generated driver passes to the runtime become
// keys of the listing records. The listings key an item by the component's id, its message
// by id + MESSAGE_OFFSET, its text by id + TEXT_OFFSET, and a contract class's state report
// by id + STATE_REPORT_OFFSET. The driver hands the first three to _vex_init, the dynamic
// file repeats them in its INIT record, and vexreport reads the records back by them.
// Header only, C++17: the runtime uses it too.
#pragma once

namespace keys {

constexpr unsigned long ITEM_OFFSET = 0;                 // 0x0
constexpr unsigned long MESSAGE_OFFSET = 1000000;        // 0xf4240
constexpr unsigned long TEXT_OFFSET = 2000000;           // 0x1e8480
constexpr unsigned long STATE_REPORT_OFFSET = 3000000;   // 0x2dc6c0

// The predefined records of every .tsf file, keyed -1 .. -5 (written as 32-bit two's
// complement: ffffffffh .. fffffffbh).
constexpr int DEFAULT_ON_ERROR = -1;
constexpr int UNEXPECTED_EXCEPTION = -2;
constexpr int EXCEPTION_THROWN = -3;
constexpr int ILLEGAL_TRANSITION = -4;
constexpr int MULTIPLE_TRANSITION = -5;

}  // namespace keys
