// The result codes of the books library beyond the interface's 0 (success) and
// kEndOfRecords. Every other non-zero code is a failure; callers show it with the message
// manager, which names it with DescribeCode.
#pragma once

namespace vintor::books {

inline constexpr int kCodeNotOpen = 7001;       // the books file is not open
inline constexpr int kCodeUnknownData = 7002;   // no company data has that data ID
inline constexpr int kCodeNoCompany = 7003;     // no company data is selected or current
inline constexpr int kCodeBadCondition = 7004;  // a search condition this cursor cannot serve
inline constexpr int kCodeNotReady = 7005;      // the cursor was not prepared
inline constexpr int kCodeQueryFailed = 7006;   // the books file could not be read
inline constexpr int kCodeBadCursor = 7007;     // a cursor handle this set did not hand out
inline constexpr int kCodeNotFound = 7008;      // no such user
inline constexpr int kCodeOverflow = 7009;      // a total left the range of 64-bit amounts
inline constexpr int kCodeBadArgument = 7010;   // a null pointer or a value out of range
inline constexpr int kCodeBadFormula = 7011;    // an account's formula cannot be used
inline constexpr int kCodeDamaged = 7012;       // the books file is damaged (said once)

// A short Japanese description of a code, for messages (CP932).
const char* DescribeCode(int code);

}  // namespace vintor::books
