# Writes PAGE/sw.js from TEMPLATE: the release is the version and a hash of every file the worker
# caches (FILES, names in PAGE), so that any change to the page makes a new worker and cache.
#   cmake -DPAGE=DIR -DTEMPLATE=FILE -DVERSION=X.Y.Z -DFILES=a,b,c -P make_service_worker.cmake
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
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
