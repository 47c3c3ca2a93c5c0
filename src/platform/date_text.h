#pragma once
// The date and time texts of files the tool writes: "MM-DD-YYYY" and
// "HH:MM:SS" of the local clock.
namespace bx::platform {

constexpr int kDateStrSize = 11;  // 10 characters and the terminating zero
constexpr int kTimeStrSize = 9;   // 8 characters and the terminating zero

void DateStr(char (&out)[kDateStrSize]);
void TimeStr(char (&out)[kTimeStrSize]);

}  // namespace bx::platform
