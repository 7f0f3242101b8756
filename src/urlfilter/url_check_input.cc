#include "urlfilter/url_check_input.h"

#include "urlfilter/compiled_filter_list.h"

namespace zelk {

UrlCheckInput UrlCheckInputFor(const ConfigSource& source, std::u16string_view address) {
  UrlCheckInput input;
  input.checking_enabled = source.settings_copy.check_url_access != 0;
  input.list = FilterListOf(source);
  input.address = address;
  return input;
}

const CompiledFilterList* FilterListOf(const ConfigSource& source) {
  if (source.filter_file_path.empty()) {
    return nullptr;
  }
  if (source.filter_list != nullptr) {
    return source.filter_list.get();
  }
  static const CompiledFilterList kNoLines{std::vector<std::u16string>()};
  return &kNoLines;
}

std::vector<std::u16string> FilterLinesOf(const ConfigSource& source) {
  return source.filter_list != nullptr ? source.filter_list->Lines()
                                       : std::vector<std::u16string>();
}

}  // namespace zelk
