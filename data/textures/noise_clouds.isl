# Clouds: soft grey plasma that tiles without seams.
ISL 1
size 256 256
seed 602
plasma roughness=50 color1=40,40,40 color2=230,230,230
