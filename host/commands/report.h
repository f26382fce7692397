// How the commands speak to the user: one line on standard error per
// message, each starting "velmo: ".
#pragma once
#include <string>

namespace velmo {

// "velmo: MESSAGE".
void say(const std::string& message);
// "velmo: MESSAGE"; returns 1, the exit status of a job that could not be done.
int fail(const std::string& message);
// "velmo: warning: MESSAGE"; the job goes on.
void warn(const std::string& message);

}  // namespace velmo
