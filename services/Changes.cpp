#include "services/Changes.h"

#include <cstdio>
#include <cstdlib>

#include "services/ReadOnlyViews.h"

namespace nq {
namespace {

// Per thread, so that a run on one thread never sees, or ends, another thread's recorder.
thread_local TChangeRecorder* g_recorder = nullptr;

const char* RootName(RegKey root) {
  switch (root) {
    case platform::kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case platform::kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    case platform::kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    default: return "?";
  }
}

}  // namespace

TChangeRecorder::TChangeRecorder(bool dryRun) : TChangeRecorder(dryRun, TIsolated{}) { isolated_ = false; }

TChangeRecorder::TChangeRecorder(bool dryRun, TIsolated)
    : outer_(g_recorder), dryRun_(dryRun || (g_recorder != nullptr && g_recorder->dryRun_)), isolated_(true) {
  // Only the outermost dry recorder swaps the back ends; the inner ones find the views in place.
  if (dryRun_ && (outer_ == nullptr || !outer_->dryRun_)) views_ = std::make_unique<TReadOnlyViews>();
  g_recorder = this;
}

TChangeRecorder::~TChangeRecorder() {
  if (g_recorder != this) {
    // An outer recorder closed first: the chain of recorders (and the views) would be left dangling.
    std::fputs("TChangeRecorder closed out of order\n", stderr);
    std::abort();
  }
  g_recorder = outer_;
}

void TChangeRecorder::Add(TChange change) {
  if (outer_ != nullptr && !isolated_) outer_->Add(change);
  changes_.push_back(std::move(change));
}

TChangeRecorder* ChangeRecorder() { return g_recorder; }

bool DryRun() { return g_recorder != nullptr && g_recorder->DryRun(); }

void RecordChange(TChange change) {
  if (g_recorder != nullptr) g_recorder->Add(std::move(change));
}

std::string ChangeWhere(const TChange& change) {
  switch (change.kind) {
    case TChange::TKind::Key:
    case TChange::TKind::Value: {
      std::string where = RootName(change.root);
      if (!change.path.empty()) where.append("\\").append(change.path);
      if (change.view == TRegView::Key32) where.append(" [32-bit]");
      return where;
    }
    case TChange::TKind::RecycleBin: return "Recycle Bin";
    case TChange::TKind::History: return "URL history";
    default: return change.path;
  }
}

}  // namespace nq
