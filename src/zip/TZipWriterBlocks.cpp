// The worker pool that deflates the blocks of one entry.
#include "zip/TZipWriterBlocks.h"

#include <system_error>

#include "zip/Zlib.h"

namespace zip {

BlockDeflatePool::BlockDeflatePool(int threads, int level) {
  // Enough blocks to keep every worker busy while the writer reads ahead and writes behind.
  const int count = 2 * threads + 2;
  for (int i = 0; i < count; ++i) {
    blocks_.push_back(std::make_unique<Block>());
    free_.push_back(blocks_.back().get());
  }
  try {
    for (int i = 0; i < threads; ++i) workers_.emplace_back(&BlockDeflatePool::Work, this, level);
  } catch (const std::system_error&) {
    if (workers_.empty()) throw;
  }
}

BlockDeflatePool::~BlockDeflatePool() {
  Abandon();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

BlockDeflatePool::Block* BlockDeflatePool::Take() {
  if (free_.empty()) return nullptr;
  Block* b = free_.back();
  free_.pop_back();
  return b;
}

void BlockDeflatePool::Submit(Block* block) {
  block->done = false;
  block->error = nullptr;
  order_.push_back(block);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(block);
  }
  wake_.notify_one();
}

bool BlockDeflatePool::Ready() {
  std::lock_guard<std::mutex> lock(mutex_);
  return order_.front()->done;
}

BlockDeflatePool::Block& BlockDeflatePool::Front() {
  Block* b = order_.front();
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [b] { return b->done; });
  if (b->error) std::rethrow_exception(b->error);
  return *b;
}

void BlockDeflatePool::Release() {
  free_.push_back(order_.front());
  order_.pop_front();
}

void BlockDeflatePool::Abandon() noexcept {
  std::unique_lock<std::mutex> lock(mutex_);
  queue_.clear();
  finished_.wait(lock, [this] { return busy_ == 0; });
  order_.clear();
  free_.clear();
  for (auto& b : blocks_) {
    b->error = nullptr;
    free_.push_back(b.get());
  }
}

void BlockDeflatePool::Work(int level) {
  std::unique_ptr<RawDeflater> deflater;
  for (;;) {
    Block* b;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      b = queue_.front();
      queue_.pop_front();
      ++busy_;
    }
    try {
      if (!deflater) deflater = std::make_unique<RawDeflater>(level);
      b->packed = deflater->DeflateBlock(b->in.data(), b->window, b->Data(), b->size, b->last,
                                         b->out);
    } catch (...) {
      b->error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      b->done = true;
      --busy_;
    }
    finished_.notify_all();
  }
}

}  // namespace zip
