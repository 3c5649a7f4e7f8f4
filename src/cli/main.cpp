// ovaruz-cli: entry point of the command-line tool; dispatches the commands and reports errors on
// stderr with exit status 1.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "zip/Exceptions.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return cli::Run(args, std::cout, std::cerr);
  } catch (const zip::Exception& e) {
    std::cerr << "ovaruz-cli: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "ovaruz-cli: " << e.what() << "\n";
    return 1;
  }
}
