<?xml version="1.0"?>
<!-- Sums one column of a finished report page (a result read back as XML).
     The column's name goes into the second attribute (select) of the second
     child, as a string literal: 'in', 'out', 'Amount'. A cell belongs to the
     column when it is a TD whose class holds the name as one of its words
     (class="Amount in"), so a column keeps its style class as well. A cell
     counts when its text is a plain decimal number (12.5, -3, 1250.00);
     empty cells, captions and grouped figures (1,250.00) are left out.
     The output begins with the column's total as a plain decimal number;
     then, one a line, the text of every cell counted, so that a caller can
     add the same figures exactly. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text"/>
  <xsl:variable name="Column" select="'Amount'"/>
  <xsl:template match="/">
    <xsl:variable name="word" select="concat(' ', $Column, ' ')"/>
    <xsl:variable name="cells"
        select="//TD[contains(concat(' ', normalize-space(@class), ' '), $word)]
                    [number(normalize-space(.)) = number(normalize-space(.))]"/>
    <xsl:value-of select="format-number(sum($cells), '0.####')"/>
    <xsl:for-each select="$cells">
      <xsl:text>&#10;</xsl:text>
      <xsl:value-of select="normalize-space(.)"/>
    </xsl:for-each>
  </xsl:template>
</xsl:stylesheet>
