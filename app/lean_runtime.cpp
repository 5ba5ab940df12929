// Parts of the C++ runtime the program replaces with smaller ones of its own, since the
// executable is the first thing a user downloads and these would be most of its code.
//
// The library's verbose terminate handler names the uncaught exception's type on a
// console the program does not have, and brings the whole demangler (some 45 KB). A
// terminate still ends the process here.
//
// The library raises its errors through the std::__throw_* functions, all defined in
// one object that also builds every standard exception with a message, and with it the
// library's narrow-string and random-device code (some 80 KB), none of which the program
// uses. Only memory running out is an error the program answers: a size past what a
// container can hold is memory it cannot have, so a length error is a std::bad_alloc,
// which workers report as "not enough memory" and the barriers around the window
// procedures and the message loop post as a system error. A logic error or a position
// out of range is a mistake of the program: it ends the process at once (abort, exit
// code 3), as an exception that reached no handler would.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}

void __throw_length_error(const char*)
{
    throw bad_alloc();
}

void __throw_logic_error(const char*)
{
    abort();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    abort();
}

}  // namespace std
