# korvix_link_check(LIBRARY): a program that links every object of LIBRARY together with
# only the libraries LIBRARY declares. A static library alone never fails to link, so
# without this a unit could call into a layer above its own (or a system library it does
# not name) unnoticed until some program happened to pull both in.
function(korvix_link_check library)
    set(check link_check_${library})
    add_executable(${check} ${CMAKE_SOURCE_DIR}/cmake/link_check.cpp)
    target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
endfunction()
