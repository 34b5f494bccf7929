# Makes `target` a Windows GUI executable carrying the program's version
# information and icon.
set(_varno_windows_resources ${PROJECT_SOURCE_DIR}/resources/windows)

function(varno_windows_executable target)
  # Classic version text: major, then the minor number in two digits, then
  # the revision in four when there is one ("1.04", "1.04.0012").
  set(minor ${PROJECT_VERSION_MINOR})
  if(minor LESS 10)
    set(minor "0${minor}")
  endif()
  set(VARNO_WINDOWS_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}")
  if(PROJECT_VERSION_PATCH GREATER 0)
    string(LENGTH "${PROJECT_VERSION_PATCH}" digits)
    set(zeros "")
    if(digits LESS 4)
      math(EXPR pad "4 - ${digits}")
      string(REPEAT "0" ${pad} zeros)
    endif()
    string(APPEND VARNO_WINDOWS_VERSION_TEXT ".${zeros}${PROJECT_VERSION_PATCH}")
  endif()
  set(VARNO_WINDOWS_ICON ${PROJECT_SOURCE_DIR}/resources/varno.ico)

  set(generated ${PROJECT_BINARY_DIR}/generated/windows)
  configure_file(${_varno_windows_resources}/version_info.h.in ${generated}/version_info.h @ONLY)

  set(rc ${_varno_windows_resources}/varno.rc)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY INCLUDE_DIRECTORIES ${generated})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
    ${generated}/version_info.h ${VARNO_WINDOWS_ICON})
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()
