// Deflating one entry on several threads: the input is cut into blocks that a small pool of
// workers compresses independently, each primed with the 32 KiB before it as dictionary and
// ended with a sync flush (the last one with the end of the stream), so that their outputs,
// written in order, form one valid raw deflate stream. The writer thread reads, writes and
// raises every event; the workers only compress. A fixed number of blocks exists, so memory does
// not grow with the file.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zip {

class BlockDeflatePool {
 public:
  static constexpr std::size_t kBlockSize = 128 * 1024;
  static constexpr std::size_t kWindow = 32 * 1024;

  struct Block {
    std::vector<std::uint8_t> in = std::vector<std::uint8_t>(kWindow + kBlockSize);
    std::size_t window = 0;  // dictionary bytes at the front of in
    std::size_t size = 0;    // data bytes after them
    bool last = false;
    std::vector<std::uint8_t> out;
    std::size_t packed = 0;  // output bytes at the front of out
    std::uint8_t* Data() { return in.data() + window; }

   private:
    friend class BlockDeflatePool;
    bool done = false;
    std::exception_ptr error;
  };

  // Starts the workers; threads beyond the first that cannot be started are done without. Throws
  // std::system_error when none can be started.
  BlockDeflatePool(int threads, int level);
  // Abandons any work and joins the workers.
  ~BlockDeflatePool();
  BlockDeflatePool(const BlockDeflatePool&) = delete;
  BlockDeflatePool& operator=(const BlockDeflatePool&) = delete;

  // The calls below are for the writer thread only.

  // A free block to fill, or nullptr while every block is taken.
  Block* Take();
  // Queues a taken block for compression; blocks come back from Front in this order.
  void Submit(Block* block);
  // Whether a submitted block has not been released yet.
  bool Pending() const { return !order_.empty(); }
  // Whether the oldest submitted block is compressed (Pending must be true).
  bool Ready();
  // Waits for the oldest submitted block to be compressed and returns it; rethrows what its
  // compression threw.
  Block& Front();
  // Frees the block Front returned.
  void Release();
  // Drops the queued blocks and waits for those being compressed: every block is free again.
  // Called when an entry ends, normally or by an exception.
  void Abandon() noexcept;

 private:
  void Work(int level);

  std::vector<std::unique_ptr<Block>> blocks_;
  std::vector<Block*> free_;   // writer thread only
  std::deque<Block*> order_;   // submitted and not released, in stream order; writer thread only
  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::deque<Block*> queue_;   // waiting for a worker
  int busy_ = 0;               // blocks a worker is compressing
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace zip
