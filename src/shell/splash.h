#pragma once
// The picture window shown while the program starts. It closes itself after ten seconds, on a
// click, when it loses the focus or when the frame closes it; however it closes, it opens a new
// query form.
namespace zem::shell {

void Splash();

}  // namespace zem::shell
