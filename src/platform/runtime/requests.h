#pragma once
// The request a caller hands to the window it runs and the response the window leaves behind.
// Each thread has its own pair, so windows on different threads never see each other's; both
// start at 0 on a new thread.
namespace zem::runtime {

namespace request {
inline constexpr int kNone = 0;
inline constexpr int kInsert = 1;
inline constexpr int kChange = 2;
inline constexpr int kDelete = 3;
inline constexpr int kSelect = 4;
inline constexpr int kView = 6;
}  // namespace request

namespace response {
inline constexpr int kNone = 0;
inline constexpr int kCompleted = 1;
inline constexpr int kCancelled = 2;
}  // namespace response

int GlobalRequest();
void SetGlobalRequest(int request);
int GlobalResponse();
void SetGlobalResponse(int response);

}  // namespace zem::runtime
