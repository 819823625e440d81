#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tallomer {

// The six input texts of one entry, in the order of the input boxes Text1 to Text6: the date
// typed day first (dd/mm/yyyy), orders, value of orders, refunds, value of refunds, unique
// visitors.
enum EntryField { kDate, kOrders, kOrderValue, kRefunds, kRefundValue, kVisitors };
inline constexpr int kEntryFieldCount = 6;
using EntryTexts = std::array<std::string, kEntryFieldCount>;

// The names a field goes by in messages and in import's --map: "date", "orders",
// "order_value", "refunds", "refund_value", "visitors".
std::string_view entryFieldName(int field);
// The field a name stands for (the names above, case ignored); -1 for none.
int entryFieldFromName(std::string_view name);

}  // namespace tallomer
