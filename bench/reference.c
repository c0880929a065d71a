/* The conversion's design at its least cost: the same walk, the same
 * empty-folder test that lists each folder again, the same one write per
 * document line and the same document, but in plain C with directory
 * descriptors, one listing buffer per depth, the test's descriptor rewound
 * for its second pass and for the walk of the same folder. bench/run.py checks
 * that its document equals kessavine's on the benchmark trees, which hold
 * only plain shortcut files (no UTF-16, no wide section to decode).
 *
 *     reference DOCUMENT FAVORITES
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kListing = 32 * 1024, kLine = 64 * 1024 };

struct level {
  int fd;
  size_t pos, end;
  int read; /* since opened or rewound */
  char* block;
};

static struct level** levels; /* each level stays where it is made */
static size_t depths;
static int document;
static char line[kLine];
static size_t used;

static struct level* level_at(size_t depth) {
  if (depth >= depths) {
    levels = realloc(levels, (depth + 1) * sizeof *levels);
    for (; depths <= depth; ++depths) {
      levels[depths] = malloc(sizeof **levels);
      levels[depths]->fd = -1;
      levels[depths]->block = malloc(kListing);
    }
  }
  return levels[depth];
}

static void put(const char* text, size_t size) {
  memcpy(line + used, text, size);
  used += size;
}
#define PUT_LITERAL(text) put(text, sizeof text - 1)

static void puts_escaped(const char* text, size_t size, int url) {
  for (size_t i = 0; i < size; ++i) {
    if (url && text[i] == '"') {
      PUT_LITERAL("%22");
    } else if (!url && (text[i] == '<' || text[i] == '>')) {
      put(text[i] == '<' ? "&lt;" : "&gt;", 4);
    } else {
      line[used++] = text[i];
    }
  }
}

static void end_line(void) {
  PUT_LITERAL("\r\n");
  (void)!write(document, line, used);
  used = 0;
}

static void put_line(const char* text) {
  put(text, strlen(text));
  end_line();
}

static int open_child(size_t depth, const char* name) {
  struct level* child = level_at(depth + 1);
  struct level* parent = level_at(depth);
  if (child->fd >= 0) close(child->fd);
  child->fd = openat(parent->fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  child->pos = child->end = 0;
  child->read = 0;
  return child->fd >= 0;
}

static void rewind_level(struct level* l) {
  l->pos = l->end = 0;
  if (l->read) lseek(l->fd, 0, SEEK_SET);
  l->read = 0;
}

static struct dirent64* next(struct level* l) {
  if (l->pos == l->end) {
    l->read = 1;
    ssize_t got = getdents64(l->fd, l->block, kListing);
    if (got <= 0) return NULL;
    l->pos = 0;
    l->end = (size_t)got;
  }
  struct dirent64* entry = (struct dirent64*)(l->block + l->pos);
  l->pos += entry->d_reclen;
  return entry;
}

static int is_dots(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

static int is_shortcut(const char* name, size_t n) {
  return n >= 4 && strncasecmp(name + n - 4, ".url", 4) == 0;
}

static int is_empty(size_t depth, const char* name) {
  if (!open_child(depth, name)) return 1;
  struct level* l = level_at(depth + 1);
  struct dirent64* e;
  while ((e = next(l)) != NULL) {
    if (e->d_type != DT_DIR && is_shortcut(e->d_name, strlen(e->d_name))) return 0;
  }
  rewind_level(l);
  int empty = 1;
  while (empty && (e = next(l)) != NULL) {
    if (e->d_type == DT_DIR && !is_dots(e->d_name)) {
      empty = is_empty(depth + 1, e->d_name);
      close(level_at(depth + 2)->fd);
      level_at(depth + 2)->fd = -1;
    }
  }
  return empty;
}

/* The address: the text after URL= on the second line or in the
 * [InternetShortcut] section; the file is looked at to its end. */
static void bookmark(struct level* folder, const char* name, size_t n) {
  static char text[64 * 1024];
  size_t size = 0;
  int fd = openat(folder->fd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) {
    ssize_t got;
    while (size < sizeof text &&
           (got = read(fd, text + size, 4096 < sizeof text - size ? 4096 : sizeof text - size)) >
               0) {
      size += (size_t)got;
      if (got < 4096) break;
    }
    close(fd);
  }
  const char* url = "";
  size_t url_size = 0;
  int found = 0, section = 0;
  for (size_t start = 0, number = 0; start < size && !found; ++number) {
    char* end = memchr(text + start, '\n', size - start);
    size_t stop = end ? (size_t)(end - text) : size;
    size_t i = start;
    while (i < stop && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < stop && text[i] == '[') {
      section = strncasecmp(text + i, "[InternetShortcut]", 18) == 0;
    } else if (stop - i >= 4 && strncasecmp(text + i, "URL=", 4) == 0 && (number == 1 || section)) {
      url = text + i + 4;
      url_size = stop - i - 4;
      if (url_size > 0 && url[url_size - 1] == '\r') --url_size;
      found = 1;
    }
    start = stop + 1;
  }
  PUT_LITERAL("<DT><A HREF=\"");
  puts_escaped(url, url_size, 1);
  PUT_LITERAL("\"ADD_DATE=\"882645605\" LAST_VISIT=\"886620180\" LAST_MODIFIED=\"882645585\">");
  puts_escaped(name, n - 4, 0);
  PUT_LITERAL(" </A>");
  end_line();
}

static void walk(size_t depth) {
  struct level* l = level_at(depth);
  rewind_level(l);
  struct dirent64* e;
  while ((e = next(l)) != NULL) {
    size_t n = strlen(e->d_name);
    if (e->d_type == DT_DIR) {
      if (!is_dots(e->d_name) && !is_empty(depth, e->d_name)) {
        PUT_LITERAL("<DT><H3 ADD_DATE=\"884567655\">");
        puts_escaped(e->d_name, n, 0);
        PUT_LITERAL("</H3>");
        end_line();
        put_line("<DL><p>");
        walk(depth + 1);
        put_line("</DL><p>");
      }
      struct level* child = level_at(depth + 1);
      if (child->fd >= 0) close(child->fd);
      child->fd = -1;
    } else if (is_shortcut(e->d_name, n)) {
      bookmark(l, e->d_name, n);
    }
  }
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  document = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (document < 0) return 1;
  static const char* const header[] = {
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
      "<!-- This is an file generated by Dorrimund's PLOVERIX.",
      "It will be read and overwritten.",
      "Do Not Edit! -->",
      "<meta name=\"GENERATOR\" content=\"PLOVERIX by Dorrimund\">",
      "<TITLE>Dorrimund's Bookmarks</TITLE>",
      "<H1>Dorrimund's Bookmarks</H1>",
      "",
      "<DL><p>",
  };
  for (size_t i = 0; i < sizeof header / sizeof *header; ++i) put_line(header[i]);
  struct level* root = level_at(0);
  root->fd = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root->fd >= 0) {
    walk(0);
    close(root->fd);
  }
  put_line("</DL><p>");
  return close(document) == 0 ? 0 : 1;
}
