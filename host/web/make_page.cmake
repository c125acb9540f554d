# Writes the page's index.html and sw.js into PAGE, after the link:
# - index.html from SOURCE/index.html with the geometry (PAGE/geometry.js), page.css and page.js
#   written into it, so that the page shows after one request;
# - sw.js from SOURCE/sw.js.in with the file list FILES (names in PAGE) and a release made of the
#   version and a hash of every one of those files, so that any change to the page makes a new
#   worker and cache.
#   cmake -DPAGE=DIR -DSOURCE=DIR -DVERSION=X.Y.Z -DFILES=a,b,c -P make_page.cmake
file(READ ${PAGE}/geometry.js BRELVOXAN_GEOMETRY_JS)
file(READ ${SOURCE}/page.css BRELVOXAN_PAGE_CSS)
file(READ ${SOURCE}/page.js BRELVOXAN_PAGE_JS)
configure_file(${SOURCE}/index.html ${PAGE}/index.html @ONLY)

string(REPLACE "," ";" FILES "${FILES}")
set(hashes "")
set(list "")
foreach(file ${FILES})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  if(list)
    string(APPEND list ", ")
  endif()
  string(APPEND list "\"${file}\"")
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING ${all} 0 16 short)
set(BRELVOXAN_PAGE_RELEASE "${VERSION}-${short}")
set(BRELVOXAN_PAGE_FILE_LIST "${list}")
configure_file(${SOURCE}/sw.js.in ${PAGE}/sw.js @ONLY)
