#pragma once
// Why another process's memory cannot be read, told in whole sentences for
// the user: the process has ended, runs as another user, protects its
// memory, the system's tracing rules (Linux's Yama) refuse it and how to get
// past them, another program traces it; otherwise the system's own reason.
// Never empty, never throws but std::bad_alloc.

#include <cstdint>
#include <string>

// systemError: what the failed open or read reported (errno on Linux,
// GetLastError() on Windows).
std::string WhyUnreadable(std::int32_t processId, int systemError);

// The same where the system said no more than that access is denied.
std::string WhyAccessIsDenied(std::int32_t processId);

// The system's own words for an error number (errno, GetLastError()), in
// the system's code page, without a line end.
std::string SystemErrorText(int systemError);
