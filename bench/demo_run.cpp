// Whole runs of the focus sequence at delay 0 against `fbview --once`: wall
// time and the client's processor time, beside a plain loop that writes the
// very same bytes (captured from one run) into the same kind of FIFO.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const std::string kBin = KIV_BIN_DIR;

struct Scratch {
  std::string dir, in, out, answer;
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kivbench.XXXXXX").string();
    dir = mkdtemp(pattern.data());
    in = dir + "/imt1i";
    out = dir + "/imt1o";
    answer = dir + "/answer";
    mkfifo(in.c_str(), 0600);
    mkfifo(out.c_str(), 0600);
    FILE* f = std::fopen(answer.c_str(), "w");
    std::fputs("\n", f);
    std::fclose(f);
  }
  ~Scratch() { std::filesystem::remove_all(dir); }
};

pid_t spawn(std::vector<std::string> args, const std::vector<std::string>& env,
            const std::string& stdin_path, const std::string& cwd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, stdin_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_copy = env;
  for (auto& e : env_copy) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.empty() ? environ : envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

double cpu_seconds(const rusage& u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Starts fbview and returns once it holds the output FIFO open for reading.
pid_t start_server(const Scratch& s) {
  const pid_t pid = spawn({kBin + "/fbview", "--in", s.in, "--out", s.out, "--once", "--view", "none"},
                          {}, "/dev/null", "");
  const std::filesystem::path target = std::filesystem::canonical(s.out);
  const std::string fd_dir = "/proc/" + std::to_string(pid) + "/fd";
  for (int tries = 0; tries < 5000; ++tries) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(fd_dir, ec)) {
      std::error_code link_ec;
      if (std::filesystem::read_symlink(entry.path(), link_ec) == target) return pid;
    }
    usleep(1000);
  }
  return pid;
}

void BM_FocusSequenceAgainstServer(benchmark::State& state) {
  Scratch s;
  double client_cpu = 0;
  for (auto _ : state) {
    const pid_t server = start_server(s);
    const pid_t client = spawn({kBin + "/kivdemo2"},
                               {"HOME=" + s.dir, "INDEV=" + s.in, "OUTDEV=" + s.out}, s.answer, s.dir);
    int status = 0;
    rusage usage{};
    wait4(client, &status, 0, &usage);
    client_cpu += cpu_seconds(usage);
    waitpid(server, &status, 0);
  }
  state.counters["client_cpu_ms"] =
      benchmark::Counter(client_cpu * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_FocusSequenceAgainstServer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The stream one run writes, as the sizes of its write calls: five start-up
// packets, then 96 world-coordinate and pixel packets, each header then data.
std::vector<std::size_t> stream_writes() {
  std::vector<std::size_t> writes = {16, 6, 16, 51, 16, 2, 16, 67, 16, 6};
  for (int i = 0; i < 96; ++i) {
    writes.insert(writes.end(), {16, 73, 16, 8192});
  }
  return writes;
}

void BM_PlainWriteLoopAgainstServer(benchmark::State& state) {
  Scratch s;
  const auto writes = stream_writes();
  std::vector<char> bytes(8192, 0);
  std::size_t total = 0;
  for (auto _ : state) {
    const pid_t server = start_server(s);
    const int fd = open(s.out.c_str(), O_WRONLY);
    for (std::size_t n : writes) {
      std::size_t done = 0;
      while (done < n) {
        const ssize_t w = write(fd, bytes.data() + done, n - done);
        if (w <= 0) break;
        done += static_cast<std::size_t>(w);
      }
      total += n;
    }
    close(fd);
    int status = 0;
    waitpid(server, &status, 0);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_PlainWriteLoopAgainstServer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
