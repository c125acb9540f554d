cmake_minimum_required(VERSION 3.25)
# Writes the page's index.html and sw.js into PAGE, after the link:
# - index.html from SOURCE/index.html with the geometry (PAGE/geometry.js), page.css and the
#   page's scripts (below) written into it, so that the page shows after one request, and the
#   release's name, which the page puts into the address of every file it loads;
# - sw.js from SOURCE/sw.js.in with the release's name (the version and a hash of every file of
#   FILES, names in PAGE) and each file's SHA-256, so that any change to the page makes a new
#   worker and cache, and the worker can tell a file of its release from any other.
#   cmake -DPAGE=DIR -DSOURCE=DIR -DVERSION=X.Y.Z -DFILES=a,b,c -P make_page.cmake
file(READ ${PAGE}/geometry.js BRELVOXAN_GEOMETRY_JS)
file(READ ${SOURCE}/page.css BRELVOXAN_PAGE_CSS)
# The page's scripts, one concern each, in the order they are written; start.js, last, starts the
# page with the functions of the others.
set(scripts display.js level.js keys.js thinker.js new_version.js glyphs.js start.js)
set(BRELVOXAN_PAGE_JS "")
foreach(script ${scripts})
  file(READ ${SOURCE}/${script} text)
  string(APPEND BRELVOXAN_PAGE_JS "${text}")
endforeach()
# The release is named after the page as written with a stand-in for its own name.
set(BRELVOXAN_PAGE_RELEASE "@BRELVOXAN_PAGE_RELEASE@")
configure_file(${SOURCE}/index.html ${PAGE}/index.html @ONLY)

string(REPLACE "," ";" FILES "${FILES}")
set(hashes "")
foreach(file ${FILES})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(SHA256 all "${VERSION}\n${hashes}")
string(SUBSTRING ${all} 0 16 short)
set(BRELVOXAN_PAGE_RELEASE "${VERSION}-${short}")
file(READ ${PAGE}/index.html page)
string(REPLACE "@BRELVOXAN_PAGE_RELEASE@" "${BRELVOXAN_PAGE_RELEASE}" page "${page}")
file(WRITE ${PAGE}/index.html "${page}")

set(list "")
foreach(file ${FILES})
  file(SHA256 ${PAGE}/${file} hash)
  if(list)
    string(APPEND list ",\n  ")
  endif()
  string(APPEND list "\"${file}\": \"${hash}\"")
endforeach()
set(BRELVOXAN_PAGE_FILE_HASHES "${list}")
configure_file(${SOURCE}/sw.js.in ${PAGE}/sw.js @ONLY)
