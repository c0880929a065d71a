/* The least work a conversion needs: walk the tree once and read each
 * shortcut file once, with no output. The yardstick for bench/run. */
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static long files;

static int is_shortcut(const char* name) {
  size_t n = strlen(name);
  return n >= 4 && strcasecmp(name + n - 4, ".url") == 0;
}

static void walk(int dirfd) {
  DIR* dir = fdopendir(dirfd);
  if (dir == NULL) return;
  struct dirent* entry;
  char buffer[4096];
  while ((entry = readdir(dir)) != NULL) {
    if (entry->d_type == DT_DIR) {
      if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
      int sub = openat(dirfd, entry->d_name, O_RDONLY | O_DIRECTORY);
      if (sub >= 0) walk(sub);
    } else if (is_shortcut(entry->d_name)) {
      int fd = openat(dirfd, entry->d_name, O_RDONLY);
      if (fd < 0) continue;
      while (read(fd, buffer, sizeof buffer) > 0) {
      }
      close(fd);
      ++files;
    }
  }
  closedir(dir);
}

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int fd = open(argv[1], O_RDONLY | O_DIRECTORY);
  if (fd < 0) return 1;
  walk(fd);
  fprintf(stderr, "%ld shortcut files\n", files);
  return 0;
}
