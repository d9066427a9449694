#include "services/Changes.h"

namespace nq {
namespace {

// Commands run one at a time on the one thread: a plain pointer is enough.
TChangeRecorder* g_recorder = nullptr;

const char* RootName(RegKey root) {
  switch (root) {
    case platform::kHkeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case platform::kHkeyCurrentUser: return "HKEY_CURRENT_USER";
    case platform::kHkeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    default: return "?";
  }
}

}  // namespace

TChangeRecorder::TChangeRecorder(bool dryRun)
    : outer_(g_recorder), dryRun_(dryRun || (g_recorder != nullptr && g_recorder->dryRun_)) {
  g_recorder = this;
}

TChangeRecorder::TChangeRecorder(bool dryRun, TIsolated) : outer_(g_recorder), dryRun_(dryRun), isolated_(true) {
  g_recorder = this;
}

TChangeRecorder::~TChangeRecorder() { g_recorder = outer_; }

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
