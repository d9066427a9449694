// The back ends as a dry run sees them: every read goes through, every write is refused. While a
// dry-run recorder is in force these views stand in for the installed back ends, so a routine that
// forgets to ask DryRun() still cannot change anything.
#pragma once

#include <memory>

#include "platform/files.h"
#include "platform/links.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace nq {

// Installs the read-only views over whatever back ends are installed, and puts those back when it
// goes. A back end that is not installed stays so.
class TReadOnlyViews {
 public:
  TReadOnlyViews();
  ~TReadOnlyViews();
  TReadOnlyViews(const TReadOnlyViews&) = delete;
  TReadOnlyViews& operator=(const TReadOnlyViews&) = delete;

 private:
  struct TViews;
  std::unique_ptr<TViews> views_;
};

}  // namespace nq
