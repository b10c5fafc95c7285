# Turns the machine's apt sources into deb822 deb-src stanzas for Debian's own suites.
# Input: any mix of deb822 .sources files and one-line sources.list files, each file
# preceded on the command line by its kind (format=deb822 or format=list).
# Only suites named bookworm* are kept; a stanza left without any is dropped. Options
# other than signed-by (arch=, trusted=...) mean nothing for source packages and go.
function flush(   n, i, s, kept) {
  if (nf == 0) return
  if (tolower(f["enabled"]) != "no" && f["types"] ~ /(^|[ \t])deb(-src)?([ \t]|$)/) {
    kept = ""
    n = split(f["suites"], s, /[ \t]+/)
    for (i = 1; i <= n; i++) if (s[i] ~ /^bookworm/) kept = kept (kept == "" ? "" : " ") s[i]
    if (kept != "") emit(f["uris"], kept, f["components"], f["signed-by"])
  }
  delete f
  nf = 0
}
function emit(uris, suites, components, signedby) {
  if (printed++) print ""
  print "Types: deb-src"
  print "URIs: " uris
  print "Suites: " suites
  if (components != "") print "Components: " components
  if (signedby != "") print "Signed-By: " signedby
}
function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
FNR == 1 { flush() }
format == "deb822" {
  if ($0 ~ /^#/) next
  if ($0 ~ /^[ \t]*$/) { flush(); next }
  # A continuation line (an inline key block under Signed-By) belongs to the last field.
  if ($0 ~ /^[ \t]/) { f[last] = f[last] "\n" $0; next }
  i = index($0, ":")
  if (i == 0) next
  last = tolower(trim(substr($0, 1, i - 1)))
  f[last] = trim(substr($0, i + 1))
  nf++
  next
}
format == "list" {
  line = $0
  sub(/#.*/, "", line)
  line = trim(line)
  if (line !~ /^deb(-src)?[ \t]/) next
  sub(/^deb(-src)?[ \t]+/, "", line)
  signedby = ""
  if (line ~ /^\[/) {
    opts = substr(line, 2, index(line, "]") - 2)
    line = trim(substr(line, index(line, "]") + 1))
    n = split(opts, o, /[ \t]+/)
    for (i = 1; i <= n; i++) if (o[i] ~ /^signed-by=/) signedby = substr(o[i], 11)
  }
  n = split(line, w, /[ \t]+/)
  if (n < 2 || w[2] !~ /^bookworm/) next
  components = ""
  for (i = 3; i <= n; i++) components = components (i > 3 ? " " : "") w[i]
  emit(w[1], w[2], components, signedby)
}
END { flush() }
