// Sets one environment variable of the test process and restores it at the end of scope.
#ifndef ZELK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_
#define ZELK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_

#include <cstdlib>
#include <optional>
#include <string>

namespace zelk::testing {

class ScopedEnvironmentVariable {
 public:
  // A null `value` removes the variable.
  ScopedEnvironmentVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = std::string(old);
    }
    Set(value);
  }
  ~ScopedEnvironmentVariable() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_.c_str(), value ? value : "");  // "" removes it, as Windows has no empty
#else
    if (value) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
#endif
  }

  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace zelk::testing

#endif  // ZELK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_
