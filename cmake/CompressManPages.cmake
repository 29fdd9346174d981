# Run by cpack for the Debian package before it packs (CPACK_PRE_BUILD_SCRIPTS): Debian wants manual
# pages compressed with gzip -9n, so that the package needs nothing of the rules that install them.
file(GLOB_RECURSE _files LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS _files)
    if(file MATCHES "/share/man/[^/]+/[^/]+$" AND NOT file MATCHES "\\.gz$" AND NOT IS_SYMLINK "${file}")
        execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "gzip could not compress ${file}")
        endif()
    endif()
endforeach()
