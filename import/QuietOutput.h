#pragma once

// libmdb prints hex dumps and warnings of its own to the standard output and error streams when a
// file is damaged. While one of these lives, both streams go to /dev/null, so a report printed
// afterwards stands alone; the reader's errors say what went wrong in the staff's words.
class QuietOutput {
  public:
    QuietOutput();
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

  private:
    int savedOut_ = -1;
    int savedErr_ = -1;
};
