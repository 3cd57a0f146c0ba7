# Converts the user guide from Markdown to one HTML page with cmark.
# Called with CMARK (the converter), INPUT (the .md file) and OUTPUT (the
# .html file). cmark writes the body; this adds the page around it and gives
# every second-level heading the id its table-of-contents link uses (the
# heading's text in lower case, spaces as "-", other punctuation dropped).
execute_process(COMMAND ${CMARK} --to html ${INPUT}
                OUTPUT_VARIABLE body RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmark could not convert ${INPUT}: ${err}")
endif()

string(REGEX MATCHALL "<h2>[^<]*</h2>" headings "${body}")
foreach(heading IN LISTS headings)
  string(REGEX REPLACE "^<h2>(.*)</h2>$" "\\1" text "${heading}")
  string(TOLOWER "${text}" slug)
  string(REPLACE "&amp;" "" slug "${slug}")
  string(REGEX REPLACE "[^a-z0-9 -]" "" slug "${slug}")
  string(REPLACE " " "-" slug "${slug}")
  string(REPLACE "${heading}" "<h2 id=\"${slug}\">${text}</h2>" body "${body}")
endforeach()

string(REGEX MATCH "<h1>[^<]*</h1>" title "${body}")
string(REGEX REPLACE "^<h1>(.*)</h1>$" "\\1" title "${title}")

file(WRITE ${OUTPUT}.tmp "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${title}</title>
<style>
body { font-family: sans-serif; line-height: 1.5; max-width: 46em; margin: 2em auto; padding: 0 1em; color: #222; }
h1 { font-size: 1.8em; border-bottom: 2px solid #2c5ae6; padding-bottom: .2em; }
h2 { font-size: 1.3em; margin-top: 1.8em; color: #1d3f9e; }
code, pre { background: #f2f3f6; border-radius: 3px; }
pre { padding: .6em 1em; overflow-x: auto; }
a { color: #1d4fd8; }
</style>
</head>
<body>
${body}</body>
</html>
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
