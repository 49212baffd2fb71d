#pragma once
// The user's own formats, as Windows keeps them for the user's locale.
#include "lang/local_formats.h"

namespace velmora::win32 {

class UserFormats final : public LocalFormats {
 public:
  std::string dateTime(const LocalTime& local) const override;
  std::string date(const LocalTime& local) const override;
  std::optional<LocalTime> toLocal(const LocalTime& utc) const override;
  std::string shortSize(std::uint64_t bytes) const override;
  std::string number(std::uint64_t value) const override;
  std::string languageName(std::uint16_t language) const override;
};

// The one the windows share.
const LocalFormats& userFormats();

}  // namespace velmora::win32
