#include "urlfilter/url_check_input.h"

#include "urlfilter/compiled_filter_list.h"

namespace zelk {

UrlCheckInput UrlCheckInputFor(const ConfigSource& source, std::u16string_view address) {
  UrlCheckInput input;
  input.checking_enabled = source.settings_copy.check_url_access != 0;
  input.filter_file_path = source.filter_file_path;
  input.address = address;
  input.rules = &source.filter_patterns;
  input.compiled = source.compiled_filter.get();
  return input;
}

}  // namespace zelk
